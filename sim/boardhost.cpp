// The simulated board on a pseudo-terminal: reads frames from the master side, feeds the chip model
// with a monotonic clock, and sends the replies back at the line rate, byte by byte.
#include "boardhost.h"

#include "pseudoterminal.h"

#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <unistd.h>
#define QUILLORY_HAVE_PTY 1
#endif

namespace {

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

SimulatedBoardHost::SimulatedBoardHost(SimulatedBoardOptions options, QObject* parent)
    : QObject(parent), m_options(options), m_model(options.chip, options.answerAll) {
    m_clock.start();
    m_sendTimer = new QTimer(this);
    m_sendTimer->setSingleShot(true);
    m_sendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_sendTimer, &QTimer::timeout, this, &SimulatedBoardHost::sendDue);
    m_operationTimer = new QTimer(this);
    m_operationTimer->setSingleShot(true);
    m_operationTimer->setTimerType(Qt::PreciseTimer);
    connect(m_operationTimer, &QTimer::timeout, this, &SimulatedBoardHost::operationTimeout);
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

SimulatedBoardHost::~SimulatedBoardHost() {
    delete m_notifier;
}

bool SimulatedBoardHost::start(QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_pty)
        return fail(QStringLiteral("the simulated board is already running on %1").arg(m_devicePath));
    if (m_options.baud <= 0)
        return fail(QStringLiteral("line rate %1 is not a rate").arg(m_options.baud));
    m_byteNs = std::max<qint64>(1, 10'000'000'000LL / m_options.baud);

    auto pty = std::make_unique<PseudoTerminal>();
    if (!pty->ok())
        return fail(pty->error());
    m_pty = std::move(pty);
    m_devicePath = m_pty->slavePath();
    m_notifier = new QSocketNotifier(m_pty->master(), QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimulatedBoardHost::readLine);
    traceLine(QStringLiteral("board %1 (ID %2) on %3, %4 baud%5")
                  .arg(QString::fromLatin1(m_options.chip.name))
                  .arg(m_options.chip.deviceId, 2, 16, QLatin1Char('0'))
                  .arg(m_devicePath)
                  .arg(m_options.baud)
                  .arg(m_options.answerAll ? QStringLiteral(", answering every frame") : QString()));
    return true;
}

void SimulatedBoardHost::readLine() {
#if defined(QUILLORY_HAVE_PTY)
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_pty->master(), buffer, sizeof buffer);
        if (n > 0) {
            const QByteArray chunk(buffer, qsizetype(n));
            m_bytesReceived += n;
            traceLine(QStringLiteral("rx %1").arg(hexBytes(chunk)));
            for (char c : chunk) {
                const QString before = chipState();
                const QByteArray reply = m_model.receive(uint8_t(c), m_clock.elapsed());
                const QString after = chipState();
                if (after != before)
                    traceLine(QStringLiteral("chip %1").arg(after));
                if (!reply.isEmpty()) {
                    queue(replyFilter ? replyFilter(reply) : reply, true);
                    emit replied(reply);
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // The device is in a state that keeps the master readable without data; look again later
            // rather than spinning.
            m_notifier->setEnabled(false);
            m_retryTimer->start(100);
        }
        break;
    }
    armSendTimer();
    armOperationTimer();
#endif
}

void SimulatedBoardHost::inject(const QByteArray& bytes, bool paced) {
    queue(bytes, paced);
    armSendTimer();
}

void SimulatedBoardHost::queue(const QByteArray& bytes, bool paced) {
    const qint64 now = m_clock.nsecsElapsed();
    for (char c : bytes) {
        // A board that nobody reads for long overflows, as a real one's buffer would.
        if (m_pending.size() >= maxPending) {
            ++m_bytesDropped;
            continue;
        }
        m_lineFreeNs = std::max(m_lineFreeNs, now) + (paced ? m_byteNs : 0);
        m_pending.push_back({c, m_lineFreeNs});
    }
}

void SimulatedBoardHost::sendDue() {
#if defined(QUILLORY_HAVE_PTY)
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray out;
    // Timers count whole milliseconds: a byte due within half of one goes now.
    while (!m_pending.empty() && m_pending.front().dueNs <= now + 500'000) {
        out.append(m_pending.front().byte);
        m_pending.pop_front();
    }
    if (!out.isEmpty()) {
        qsizetype written = 0;
        while (written < out.size()) {
            const ssize_t n =
                ::write(m_pty->master(), out.constData() + written, size_t(out.size() - written));
            if (n > 0) {
                written += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        m_bytesSent += written;
        if (written > 0) {
            traceLine(QStringLiteral("tx %1").arg(hexBytes(out.left(written))));
            emit sent(out.left(written));
        }
        if (written < out.size()) {
            // The device's input queue is full: the rest waits for the reader, at the head of the line.
            for (qsizetype i = out.size() - 1; i >= written; --i)
                m_pending.push_front({out.at(i), now});
            m_sendTimer->start(retryMs);
            return;
        }
    }
    armSendTimer();
#endif
}

void SimulatedBoardHost::armSendTimer() {
    if (m_pending.empty()) {
        m_sendTimer->stop();
        return;
    }
    const qint64 waitNs = m_pending.front().dueNs - m_clock.nsecsElapsed();
    const int waitMs = waitNs <= 0 ? 0 : int(std::min<qint64>((waitNs + 500'000) / 1'000'000, 60'000));
    m_sendTimer->start(waitMs);
}

void SimulatedBoardHost::armOperationTimer() {
    const auto end = m_model.operationEndsAtMs();
    if (!end) {
        m_operationTimer->stop();
        return;
    }
    const qint64 wait = *end - m_clock.elapsed();
    m_operationTimer->start(int(std::clamp<qint64>(wait, 0, 3'600'000)));
}

void SimulatedBoardHost::operationTimeout() {
    const QString before = chipState();
    m_model.advance(m_clock.elapsed());
    const QString after = chipState();
    if (after != before)
        traceLine(QStringLiteral("chip %1").arg(after));
    armOperationTimer();
}

QString SimulatedBoardHost::chipState() const {
    const char* activity = "idle";
    if (m_model.activity() == Isd1700Model::Activity::Playing)
        activity = "playing";
    else if (m_model.activity() == Isd1700Model::Activity::Recording)
        activity = "recording";
    return QStringLiteral("%1 %2 play=%3 rec=%4 apc=%5%6")
        .arg(m_model.poweredUp() ? QStringLiteral("up") : QStringLiteral("down"))
        .arg(QLatin1String(activity))
        .arg(m_model.playPointer(), 3, 16, QLatin1Char('0'))
        .arg(m_model.recordPointer(), 3, 16, QLatin1Char('0'))
        .arg(m_model.apc(), 3, 16, QLatin1Char('0'))
        .arg(m_model.commandError() ? QStringLiteral(" CMD_ERR") : QString());
}

void SimulatedBoardHost::traceLine(const QString& text) {
    if (!m_options.trace)
        return;
    QTextStream& out = *m_options.trace;
    out << QString::number(double(m_clock.nsecsElapsed()) / 1e6, 'f', 3).rightJustified(10) << "  " << text
        << Qt::endl;
}
