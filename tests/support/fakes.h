// Fakes of the platform's controls: they record what the console writes, shows and issues,
// and let a test play the board, the player or the operator's choice of file.
#pragma once

#include "app/messagebox.h"
#include "link/serialport.h"
#include "player/filedialog.h"
#include "player/mediaplayer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cmath>
#include <functional>
#include <optional>

class FakeMessageBox final : public MessageBox {
public:
    struct Shown {
        QString text;
        Icon icon;
        QString caption;
        bool takenDown = false; // closed by the console, not by the operator
    };
    void show(const QString& text, Icon icon, const QString& caption) override;
    quint64 shownCount() const override { return quint64(shown.size()); }
    void close(quint64 number) override;

    // Whether box number `number` is up now: from its show() until onShow returns (the operator
    // presses OK) or the console takes it down.
    bool isUp(quint64 number) const { return m_up.contains(number); }

    QList<Shown> shown;
    // Runs while the "modal" box is up, as an operator's wait before pressing OK.
    std::function<void(const Shown&)> onShow;

private:
    QList<quint64> m_up; // innermost last
};

// Behaves as QtSerialPort does on a real line (the same contract suite runs against both): the
// receive event for waiting bytes and again for bytes held back, input lost on closing, devices
// that are absent or held by another program, a device that goes away by itself, and the same
// events in the link's record.
class FakeSerialPort final : public SerialPort {
public:
    void setCommPort(int16_t number) override { m_commPort = number; }
    int16_t commPort() const override { return m_commPort; }
    QString deviceFor(int16_t number) const override { return QStringLiteral("fake%1").arg(number); }
    bool devicePresent(int16_t number) const override { return !absentPorts.contains(number); }
    // Every plugging back makes a new node, as for a USB adapter.
    QString deviceInstance(int16_t number) const override {
        return devicePresent(number) ? QStringLiteral("fake%1#%2").arg(number).arg(m_plugs.value(number))
                                     : QString();
    }
    bool portOpen() const override { return m_open; }
    bool setPortOpen(bool open) override;
    QString errorString() const override { return m_error; }
    OpenFailure openFailure() const override { return m_openFailure; }
    QString openRemedy() const override { return m_openRemedy; }
    void setInputMode(int mode) override { inputMode = mode; }
    void setOutBufferCount(int count) override {
        if (count == 0)
            ++outputDiscards;
    }
    void output(const QByteArray& bytes) override;
    qint64 sinceLastWriteUs() const override { return m_lastWriteUs < 0 ? -1 : nowUs() - m_lastWriteUs; }
    int inBufferCount() const override { return int(m_in.size()); }
    void setInBufferCount(int count) override;
    // As the real port: back to 1 with bytes waiting raises the receive event again, queued.
    void setRThreshold(int threshold) override;
    void setInputLen(int length) override { inputLen = length; }
    QByteArray input() override;
    int commEvent() const override { return m_commEvent; }

    // The board side: bytes arrive at an open port and, with a threshold set, the receive event
    // is raised.
    void receive(const QByteArray& bytes);
    // Raises the receive event with another event code.
    void raiseEvent(int code);
    // The device goes away with this reason: the port closes at once, waiting input is lost and
    // deviceLost follows at the next turn of the event loop, as the real port tells it.
    void loseDevice(const QString& reason);
    // The adapter is pulled out: its device is absent until plugged back, and an open port
    // loses it as the real one does when the node disappears.
    void unplug();
    // The line's clock runs with the monotonic clock; a test that ticks the transmitter by hand
    // lets the time between two ticks pass at once.
    void letTimePass(int ms) { m_skippedUs += qint64(ms) * 1000; }
    qint64 nowUs() const;

    void plugBack() {
        absentPorts.remove(m_commPort);
        ++m_plugs[m_commPort];
    }

    // Opening fails with this reason when it is not empty.
    QString failOpenWith;
    // Port numbers whose device is not there, or is held by another program.
    QSet<int16_t> absentPorts;
    QSet<int16_t> busyPorts;
    // The next write finds the device gone with this reason, when it is not empty.
    QString loseOnWrite;
    int16_t openedPort = 0;
    int inputMode = 0;
    int rThreshold = 1;
    int inputLen = 1;
    int outputDiscards = 0;
    QList<QByteArray> writes;   // one entry per output() call
    QList<qint64> writeTimesMs; // monotonic time of each write
    int writesWhileClosed = 0;
    // Bytes that arrive while the receiver drains, after the n-th read (for the drain race).
    std::function<void(FakeSerialPort&, int readsSoFar)> duringRead;

private:
    bool refuseOpening(OpenFailure failure, const QString& reason);
    void closeDevice();
    void lose(const QString& reason, const QString& traced);

    int16_t m_commPort = 0;
    bool m_open = false;
    QString m_error;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openRemedy;
    QByteArray m_in;
    int m_commEvent = 0;
    int m_reads = 0;
    quint64 m_openings = 0;
    QMap<int16_t, int> m_plugs;
    qint64 m_skippedUs = 0;
    qint64 m_lastWriteUs = -1;
};

// The player as the audio engine behaves (the same contract suite runs on both), on a clock the test
// turns: files of known length, a position that runs while playing, a file held at its start after
// "Open", "Stop" and its end, From for the next "Play", To where a play stops, Gain until "close" or
// "Open", StatusUpdate every UpdateInterval, and without a sound output one notice per play. Every file
// is a tone at full scale, so that any gain above 0 dB clips some samples of every millisecond.
class FakeMediaPlayer final : public MediaPlayer {
public:
    void setCommand(const QString& word) override;
    QString command() const override { return m_command; }
    void setFileName(const QString& path) override { m_fileName = path; }
    QString fileName() const override { return m_fileName; }
    void setFrom(int32_t ms) override;
    void setTo(int32_t ms) override {
        m_to = ms < 0 ? std::nullopt : std::optional<int32_t>(ms);
        m_toWritten = true;
    }
    void setGain(double dB) override {
        gainWrites.append(dB);
        m_gain = std::isfinite(dB) ? dB : 0.0;
        m_clipped = 0;
    }
    double gain() const override { return m_gain; }
    int64_t clippedSamples() const override { return m_clipped; }
    int32_t length() const override { return m_length; }
    int32_t mode() const override { return m_mode; }
    void setUpdateInterval(int32_t ms) override;
    int32_t updateInterval() const override { return m_updateInterval; }
    void setShareable(bool on) override { shareable = on; }
    QString openError() const override { return m_openError; }

    // Turns the clock by ms, one millisecond at a time: a play still on at the first tick starts, and
    // says so when there is no sound output; a playing file advances and at its end is held at its
    // start; a status event comes after every UpdateInterval, as the window's handlers may change the
    // player in between.
    void advance(int64_t ms);
    // One status event now, as a late one that was queued before the interval went to 0.
    void raiseStatus() { emit StatusUpdate(); }
    // Where the sound is in the open file, in ms.
    int64_t positionMs() const { return m_position; }
    void announce(const QString& text) { emit notice(text); }

    // The files the fake can open, with their lengths in ms; any other path fails to open.
    QMap<QString, int32_t> files;
    QStringList commands;      // every word issued, in order
    QList<int32_t> fromWrites; // every From written, in order
    QList<double> gainWrites;  // every Gain written, in order
    bool shareable = false;
    bool soundOutput = true; // false: every play runs silent and says so

private:
    void open();
    void close();
    void play();

    QString m_command;
    QString m_fileName;
    QString m_openError;
    int32_t m_length = 0;
    int32_t m_mode = mciModeNotOpen;
    int64_t m_position = 0;
    std::optional<int32_t> m_from;
    std::optional<int32_t> m_to;
    bool m_toWritten = false; // since the run under way began: reaching its end keeps that To
    int32_t m_runEnd = 0;     // where the run under way stops: To, or the file's end
    double m_gain = 0.0;
    int64_t m_clipped = 0;
    int32_t m_updateInterval = 0;
    int32_t m_sinceStatus = 0;
    bool m_runStarting = false; // a "Play" whose output opens at the next tick
};

class FakeFileDialog final : public FileDialog {
public:
    void ShowOpen() override {
        ++shown;
        FileName = choice;
    }
    QString choice; // what the operator picks; empty = cancelled
    int shown = 0;
};
