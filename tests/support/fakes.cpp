// Fakes of the platform's controls.
#include "fakes.h"

#include "link/linktrace.h"

#include <QElapsedTimer>

#include <utility>

namespace {
qint64 nowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}
} // namespace

void FakeMessageBox::show(const QString& text, Icon icon, const QString& caption) {
    shown.append({text, icon, caption});
    const quint64 number = shownCount();
    m_up.append(number);
    if (onShow)
        onShow(Shown(shown.back())); // a copy: onShow may show another box
    m_up.removeAll(number);
}

void FakeMessageBox::close(quint64 number) {
    if (!isUp(number))
        return;
    if (qsizetype(number) <= shown.size())
        shown[qsizetype(number - 1)].takenDown = true;
    m_up.removeAll(number);
}

bool FakeSerialPort::setPortOpen(bool open) {
    if (!open) {
        if (m_open) {
            closeDevice();
            if (m_trace)
                m_trace->closed(deviceFor(openedPort));
        }
        return true;
    }
    if (m_open)
        return true;
    if (absentPorts.contains(m_commPort))
        return refuseOpening(OpenFailure::NoDevice, QStringLiteral("No such file or directory"));
    if (busyPorts.contains(m_commPort))
        return refuseOpening(OpenFailure::Busy, busyReason(QString(), 0));
    if (!failOpenWith.isEmpty())
        return refuseOpening(OpenFailure::Other, failOpenWith);
    m_error.clear();
    m_openFailure = OpenFailure::None;
    m_openRemedy.clear();
    m_open = true;
    ++m_openings;
    openedPort = m_commPort;
    if (m_trace)
        m_trace->opened(deviceFor(m_commPort), 1200, QStringLiteral("8N1"));
    return true;
}

void FakeSerialPort::closeDevice() {
    if (m_trace && !m_in.isEmpty())
        m_trace->unreadAtClose(int(m_in.size()));
    m_open = false;
    m_in.clear();
}

void FakeSerialPort::setInBufferCount(int count) {
    if (count != 0 || m_in.isEmpty())
        return;
    if (m_trace)
        m_trace->inputDiscarded(int(m_in.size()));
    m_in.clear();
}

bool FakeSerialPort::refuseOpening(OpenFailure failure, const QString& reason) {
    if (m_trace)
        m_trace->openFailed(deviceFor(m_commPort), reason);
    m_error = reason;
    m_openFailure = failure;
    m_openRemedy = openRemedyText(failure, deviceFor(m_commPort), QStringLiteral("dialout"),
                                  QStringLiteral("operator"), {});
    return false;
}

void FakeSerialPort::output(const QByteArray& bytes) {
    if (!m_open) {
        ++writesWhileClosed;
        return;
    }
    m_lastWriteUs = nowUs();
    if (!loseOnWrite.isEmpty()) {
        loseDevice(std::exchange(loseOnWrite, QString()));
        return;
    }
    writes.append(bytes);
    writeTimesMs.append(nowMs());
    if (m_trace)
        for (const char c : bytes)
            m_trace->sent(uint8_t(c));
}

qint64 FakeSerialPort::nowUs() const {
    return LinkTrace::nowUs() + m_skippedUs;
}

QByteArray FakeSerialPort::input() {
    const int n = std::min<int>(inputLen > 0 ? inputLen : int(m_in.size()), int(m_in.size()));
    QByteArray out = m_in.left(n);
    m_in.remove(0, n);
    ++m_reads;
    if (duringRead)
        duringRead(*this, m_reads);
    return out;
}

void FakeSerialPort::receive(const QByteArray& bytes) {
    // A closed port reads nothing: what the board sends meanwhile is lost.
    if (!m_open || bytes.isEmpty())
        return;
    if (m_trace)
        m_trace->received(bytes);
    m_in.append(bytes);
    if (rThreshold >= 1 && !m_in.isEmpty())
        raiseEvent(comEvReceive);
}

void FakeSerialPort::setRThreshold(int threshold) {
    const bool wasOff = rThreshold < 1;
    rThreshold = threshold;
    if (wasOff && threshold >= 1 && !m_in.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (rThreshold >= 1 && !m_in.isEmpty())
                    raiseEvent(comEvReceive);
            },
            Qt::QueuedConnection);
    }
}

void FakeSerialPort::loseDevice(const QString& reason) {
    lose(reason, reason);
}

void FakeSerialPort::lose(const QString& reason, const QString& traced) {
    if (!m_open)
        return;
    if (m_trace)
        m_trace->lost(deviceFor(openedPort), traced, reason);
    closeDevice();
    m_error = reason;
    const quint64 opening = m_openings;
    QMetaObject::invokeMethod(
        this,
        [this, reason, opening] {
            if (opening == m_openings && !m_open)
                emit deviceLost(reason);
        },
        Qt::QueuedConnection);
}

void FakeSerialPort::unplug() {
    absentPorts.insert(m_commPort);
    lose(linkLossReason(LinkLoss::NodeGone), linkLossTrace(LinkLoss::NodeGone));
}

void FakeSerialPort::raiseEvent(int code) {
    m_commEvent = code;
    emit OnComm();
}

void FakeMediaPlayer::setCommand(const QString& word) {
    m_command = word;
    commands.append(word);
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("open")) {
        open();
    } else if (w == QLatin1String("close")) {
        close();
    } else if (w == QLatin1String("play")) {
        play();
    } else if (w == QLatin1String("pause")) {
        if (m_mode == mciModePlay) {
            m_mode = mciModePause;
            m_runStarting = false;
        }
    } else if (w == QLatin1String("stop")) {
        if (m_mode != mciModeNotOpen) {
            m_mode = mciModeStop;
            m_position = 0;
            m_runStarting = false;
        }
    }
}

void FakeMediaPlayer::setFrom(int32_t ms) {
    fromWrites.append(ms);
    m_from = std::max<int32_t>(ms, 0);
}

void FakeMediaPlayer::setUpdateInterval(int32_t ms) {
    const int32_t interval = std::max<int32_t>(ms, 0);
    // As the engine's timer: the same interval written again does not push the next event back.
    if (interval != m_updateInterval)
        m_sinceStatus = 0;
    m_updateInterval = interval;
}

void FakeMediaPlayer::open() {
    close();
    const int32_t length = files.value(m_fileName, -1);
    if (length < 0) {
        m_openError = QStringLiteral("文件不存在");
        return;
    }
    if (length == 0) {
        m_openError = QStringLiteral("文件里没有可以播放的声音数据");
        return;
    }
    m_openError.clear();
    m_length = length;
    m_mode = mciModeStop;
}

void FakeMediaPlayer::close() {
    m_runStarting = false;
    m_mode = mciModeNotOpen;
    m_length = 0;
    m_position = 0;
    m_from.reset();
    m_to.reset();
    m_gain = 0.0;
}

void FakeMediaPlayer::play() {
    if (m_mode == mciModeNotOpen)
        return;
    if (m_from) {
        m_position = *std::exchange(m_from, std::nullopt);
    } else if (m_mode == mciModePlay) {
        return;
    }
    m_mode = mciModePlay;
    m_runEnd = m_to ? std::min(*m_to, m_length) : m_length;
    m_toWritten = false;
    if (m_position >= m_runEnd) {
        // A start at or past the end plays nothing.
        m_mode = mciModeStop;
        m_position = 0;
        m_runStarting = false;
        m_to.reset();
        return;
    }
    m_runStarting = true;
}

void FakeMediaPlayer::advance(int64_t ms) {
    for (int64_t i = 0; i < ms; ++i) {
        if (std::exchange(m_runStarting, false) && !soundOutput)
            emit notice(QStringLiteral("没有可用的声音输出设备，播放将静音进行"));
        if (m_mode == mciModePlay && m_gain > 0.0)
            ++m_clipped;
        if (m_mode == mciModePlay && ++m_position >= m_runEnd) {
            m_mode = mciModeStop;
            m_position = 0;
            if (!m_toWritten)
                m_to.reset();
        }
        if (m_updateInterval > 0 && ++m_sinceStatus >= m_updateInterval) {
            m_sinceStatus = 0;
            emit StatusUpdate();
        }
    }
}
