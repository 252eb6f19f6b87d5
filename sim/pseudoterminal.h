// A pseudo-terminal pair opened raw (no echo, no line editing, no CR/LF mapping) whose master plays
// the board and whose slave is the device a console opens: used by the simulated board, the tests'
// board and the benches'.
#pragma once

#include <QString>

#include <cstddef>

class PseudoTerminal {
public:
    enum class Master { Blocking, NonBlocking };

    // Opens the pair; ok() says whether the system gave one, error() why not.
    explicit PseudoTerminal(Master mode = Master::NonBlocking);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return m_master >= 0; }
    QString error() const { return m_error; }
    // The board's end, -1 once closed.
    int master() const { return m_master; }
    // The console's end as this side holds it open: a byte written here wakes a reader of the master.
    int slave() const { return m_slave; }
    // The device a console opens (/dev/pts/N), empty when none was opened.
    QString slavePath() const { return m_slavePath; }

    // Writes every byte towards the console, waiting out a full master; false when the master is
    // gone or the write fails otherwise.
    bool writeAll(const char* data, size_t size);
    // Closes both ends: to the console this looks like an unplugged adapter.
    void close();
    // Hangs the line up while the master stays and the slave's node stays in place, as a USB
    // adapter's tty hangs up when it is pulled: reads give end-of-file, writes fail. False when
    // the system refuses (hanging up a tty takes CAP_SYS_ADMIN).
    bool hangUp();

private:
    int m_master = -1;
    // Held open, so that the pty survives a console closing its end: with no program on the device
    // the master would otherwise report a hang-up on every poll, and bytes sent meanwhile would be lost.
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};
