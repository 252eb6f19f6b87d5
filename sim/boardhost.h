// SimulatedBoardHost: puts the simulated board on the slave side of a pseudo-terminal, so that any
// program opening that device talks to it as to a board on a serial port at the given line rate.
#pragma once

#include "isd1700model.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class PseudoTerminal;
class QSocketNotifier;
class QTextStream;
class QTimer;

struct SimulatedBoardOptions {
    Isd1700Model::ChipType chip = Isd1700Model::defaultChipType();
    // Bits per second on the simulated line; a byte takes ten bit times (start, 8 data, stop).
    int baud = 1200;
    // Answer every frame, also those the board normally leaves unanswered (for fault tests).
    bool answerAll = false;
    // Where to write what the board received and sent; not owned, may be null.
    QTextStream* trace = nullptr;
};

class SimulatedBoardHost : public QObject {
    Q_OBJECT
public:
    explicit SimulatedBoardHost(SimulatedBoardOptions options = {}, QObject* parent = nullptr);
    ~SimulatedBoardHost() override;

    // Opens the pseudo-terminal. Fails where the platform has none, or when the system refuses one.
    bool start(QString* error);
    // The device a program opens to reach the board (the pty's slave), empty before start().
    QString devicePath() const { return m_devicePath; }

    const Isd1700Model& model() const { return m_model; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    qint64 bytesSent() const { return m_bytesSent; }
    // Reply bytes lost because nobody read the device for long and the board's queue overflowed.
    qint64 bytesDropped() const { return m_bytesDropped; }
    // Bytes still waiting for their turn on the line.
    qsizetype bytesPending() const { return qsizetype(m_pending.size()); }

    // Fault injection, for tests and the tool: bytes the board sends unprompted, at the line rate
    // or all at once (as fast as the device takes them).
    void inject(const QByteArray& bytes, bool paced);
    // Sees every reply before it goes out and may cut, garble or replace it.
    std::function<QByteArray(const QByteArray& reply)> replyFilter;

signals:
    // After the board has answered a frame (empty when the frame has no answer).
    void replied(const QByteArray& reply);
    // Bytes written to the device in one go.
    void sent(const QByteArray& chunk);

private:
    // The board's send queue holds this many bytes; a full device is tried again after retryMs.
    static constexpr size_t maxPending = 1 << 20;
    static constexpr int retryMs = 5;

    struct Pending {
        char byte;
        qint64 dueNs;
    };

    void readLine();
    void queue(const QByteArray& bytes, bool paced);
    void sendDue();
    void armSendTimer();
    void armOperationTimer();
    void operationTimeout();
    void traceLine(const QString& text);
    QString chipState() const;

    SimulatedBoardOptions m_options;
    Isd1700Model m_model;
    QElapsedTimer m_clock;
    std::unique_ptr<PseudoTerminal> m_pty;
    QString m_devicePath;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_sendTimer = nullptr;
    QTimer* m_operationTimer = nullptr;
    QTimer* m_retryTimer = nullptr;
    std::deque<Pending> m_pending;
    qint64 m_byteNs = 0;
    qint64 m_lineFreeNs = 0;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesSent = 0;
    qint64 m_bytesDropped = 0;
};
