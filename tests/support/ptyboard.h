// The board's end of a pseudo-terminal for end-to-end tests: the console's QSerialPort opens
// slavePath(); the test reads what arrives at the master, with arrival times, and answers.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class PseudoTerminal;
class QSocketNotifier;

class PtyBoard : public QObject {
    Q_OBJECT
public:
    explicit PtyBoard(QObject* parent = nullptr);
    ~PtyBoard() override;

    bool isOpen() const;
    QString slavePath() const;

    // Everything the console wrote so far, and the monotonic arrival time of each byte (us).
    const QByteArray& received() const { return m_received; }
    const std::vector<qint64>& arrivalUs() const { return m_arrivalUs; }
    void clearReceived();

    // Writes bytes towards the console at once.
    void send(const QByteArray& bytes);
    // Closes the master: to the console this looks like an unplugged adapter.
    void closeMaster();
    // Hangs the line up while the master stays and the slave's node stays in place, as a USB
    // adapter's tty hangs up when it is pulled: reads give end-of-file, writes fail. False when
    // the system refuses (hanging up a tty takes CAP_SYS_ADMIN).
    bool hangUp();

    static qint64 nowUs();

signals:
    void bytesArrived();

private:
    void readMaster();

    std::unique_ptr<PseudoTerminal> m_pty;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    std::vector<qint64> m_arrivalUs;
};
