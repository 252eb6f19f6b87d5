// Driving the board through the window: a frame goes out by the window's one send path, its answer
// comes back as the receiver's replyDecoded, within a second or not at all, and the loss of the port
// is told at once. The job's runner and the reading of the chip's message table both drive it so.
#pragma once

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

class Form1;
class QTimer;

namespace job {

class BoardDriver final : public QObject {
    Q_OBJECT
public:
    // A board that has not answered this long after its frame went out is taken as gone.
    static constexpr int answerWaitMs = 1000;
    // The chip's status read (SR0, then SR1), which the console's buttons never send; SR1's bit 0 says
    // the chip is ready for the next command.
    static constexpr uint8_t RD_STATUS = 0x05;

    explicit BoardDriver(Form1& form, QObject* parent = nullptr);

    // Opens port number `port` as the operator would (串口号, then 打开串口), closing another one open;
    // true when that port is open. A port that cannot be opened is told by the window in a box.
    bool openPort(int port);

    // Hands the frame over, then runs next with the answer to its command.
    void sendAwaiting(std::vector<uint8_t> frame, uint8_t replyLength,
                      std::function<void(const QByteArray&)> next);
    // Hands a frame the board does not answer over, then runs next once it has gone out.
    void sendUnanswered(std::vector<uint8_t> frame, std::function<void()> next);
    // Runs next once the frame the window has just handed over (by one of its own buttons) has gone out.
    void whenSent(std::function<void()> next);
    // Forgets the answer or the sending waited for: nothing runs after it.
    void cancel();
    bool idle() const { return !m_onReply && !m_onSent; }

    // The command's name as the chip calls it ("RD_PLAY_PTR"), or its byte in hex.
    static QString commandName(uint8_t command);

signals:
    // No answer to command came within answerWaitMs of its last byte.
    void overdue(uint8_t command);
    // The port went away (from the port's own signal, whether or not anything was waited for).
    void lost(const QString& reason);

private:
    void replyDecoded(uint8_t command, const QByteArray& reply);
    void answerOverdue();
    void poll();

    Form1& m_form;
    uint8_t m_awaited = 0;
    std::function<void(const QByteArray&)> m_onReply;
    std::function<void()> m_onSent;
    QTimer* m_deadline = nullptr;
    QTimer* m_poller = nullptr;
};

} // namespace job
