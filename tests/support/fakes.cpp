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
        m_in.clear();
        return true;
    }
    if (m_open)
        return true;
    if (absentPorts.contains(m_commPort))
        return refuseOpening(OpenFailure::NoDevice, QStringLiteral("No such file or directory"));
    if (busyPorts.contains(m_commPort))
        return refuseOpening(OpenFailure::Busy, QStringLiteral("Permission error while locking the device"));
    if (!failOpenWith.isEmpty())
        return refuseOpening(OpenFailure::Other, failOpenWith);
    m_error.clear();
    m_openFailure = OpenFailure::None;
    m_openRemedy.clear();
    m_open = true;
    ++m_openings;
    openedPort = m_commPort;
    return true;
}

bool FakeSerialPort::refuseOpening(OpenFailure failure, const QString& reason) {
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
    // A closed port reads nothing: what the board sends meanwhile is lost.
    if (!m_open)
        return;
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
    if (!m_open)
        return;
    m_open = false;
    m_in.clear();
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
    loseDevice(linkLossReason(LinkLoss::NodeGone));
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
