// Fakes of the platform's controls.
#include "fakes.h"

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

bool FakeSerialPort::setPortOpen(bool open) {
    if (!open) {
        m_open = false;
        return true;
    }
    if (!failOpenWith.isEmpty()) {
        m_error = failOpenWith;
        return false;
    }
    m_error.clear();
    m_open = true;
    openedPort = m_commPort;
    return true;
}

void FakeSerialPort::output(const QByteArray& bytes) {
    if (!m_open) {
        ++writesWhileClosed;
        return;
    }
    if (!loseOnWrite.isEmpty()) {
        loseDevice(std::exchange(loseOnWrite, QString()));
        return;
    }
    writes.append(bytes);
    writeTimesMs.append(nowMs());
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
    m_open = false;
    m_in.clear();
    m_error = reason;
    emit deviceLost(reason);
}

void FakeSerialPort::raiseEvent(int code) {
    m_commEvent = code;
    emit OnComm();
}

void FakeMediaPlayer::setCommand(const QString& word) {
    m_command = word;
    commands.append(word);
    if (word == QLatin1String("Open")) {
        m_openError = failOpenWith;
        modeValue = failOpenWith.isEmpty() ? mciModeStop : mciModeNotOpen;
    } else if (word == QLatin1String("Play")) {
        modeValue = mciModePlay;
    } else if (word == QLatin1String("Pause")) {
        modeValue = mciModePause;
    } else if (word == QLatin1String("Stop")) {
        modeValue = mciModeStop;
    } else if (word.compare(QLatin1String("close"), Qt::CaseInsensitive) == 0) {
        modeValue = mciModeNotOpen;
    }
}
