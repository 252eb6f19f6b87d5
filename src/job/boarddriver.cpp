// The board driver: frames out through Form1's sendFrame, answers in from its replyDecoded.
#include "job/boarddriver.h"

#include "chip/operations.h"
#include "form/form1.h"

#include <QComboBox>
#include <QTimer>

#include <utility>

namespace job {

namespace {
constexpr int pollMs = 5;
constexpr int byteSpacingMs = 50;
} // namespace

BoardDriver::BoardDriver(Form1& form, QObject* parent) : QObject(parent), m_form(form) {
    m_deadline = new QTimer(this);
    m_deadline->setSingleShot(true);
    m_deadline->setTimerType(Qt::PreciseTimer);
    connect(m_deadline, &QTimer::timeout, this, &BoardDriver::answerOverdue);
    m_poller = new QTimer(this);
    m_poller->setTimerType(Qt::PreciseTimer);
    m_poller->setInterval(pollMs);
    connect(m_poller, &QTimer::timeout, this, &BoardDriver::poll);
    m_form.onReplyDecoded(this,
                          [this](uint8_t command, const QByteArray& reply) { replyDecoded(command, reply); });
    connect(m_form.MSComm1, &SerialPort::deviceLost, this, &BoardDriver::lost);
}

QString BoardDriver::commandName(uint8_t command) {
    if (command == RD_STATUS)
        return QStringLiteral("RD_STATUS");
    const chip::Operation* op = chip::operation(command);
    return op && op->name ? QString::fromLatin1(op->name)
                          : QStringLiteral("0x%1").arg(command, 2, 16, QLatin1Char('0'));
}

bool BoardDriver::openPort(int port) {
    SerialPort& serial = *m_form.MSComm1;
    if (serial.portOpen() && serial.commPort() == port)
        return true;
    if (serial.portOpen())
        m_form.Command16_Click(); // closes the other port
    m_form.Combo1->setEditText(QString::number(port));
    m_form.Command16_Click();
    return serial.portOpen();
}

void BoardDriver::sendAwaiting(std::vector<uint8_t> frame, uint8_t replyLength,
                               std::function<void(const QByteArray&)> next) {
    m_awaited = frame.front();
    m_onReply = std::move(next);
    // The answer is due a second after the frame's last byte, which leaves 50 ms after the one before.
    m_deadline->start(int(frame.size() + 1) * byteSpacingMs + answerWaitMs);
    if (chip::operation(frame.front()))
        m_form.sendFrame(frame);
    else
        m_form.sendFrame(frame, replyLength);
}

void BoardDriver::sendUnanswered(std::vector<uint8_t> frame, std::function<void()> next) {
    whenSent(std::move(next));
    m_form.sendFrame(frame);
}

void BoardDriver::whenSent(std::function<void()> next) {
    m_onSent = std::move(next);
    m_poller->start();
}

void BoardDriver::cancel() {
    m_deadline->stop();
    m_poller->stop();
    m_onReply = {};
    m_onSent = {};
}

void BoardDriver::replyDecoded(uint8_t command, const QByteArray& reply) {
    if (!m_onReply || command != m_awaited)
        return;
    m_deadline->stop();
    std::exchange(m_onReply, {})(reply);
}

void BoardDriver::answerOverdue() {
    if (!m_onReply)
        return;
    m_onReply = {};
    emit overdue(m_awaited);
}

void BoardDriver::poll() {
    // Out once its last byte is written: the next frame may follow at once, a byte's spacing later.
    if (!m_onSent) {
        m_poller->stop();
        return;
    }
    if (!m_form.Timer1->isActive() || m_form.SendPos >= m_form.SendLen) {
        m_poller->stop();
        std::exchange(m_onSent, {})();
    }
}

} // namespace job
