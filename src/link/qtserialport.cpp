// MSComm1 over QSerialPort.
#include "link/qtserialport.h"

#include "link/linktrace.h"
#include "link/serialdevices.h"

#include <utility>

#if defined(Q_OS_UNIX)
#include <poll.h>
#endif

namespace {

OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const QString& device) {
    if (error == QSerialPort::DeviceNotFoundError || !deviceNodePresent(device))
        return OpenFailure::NoDevice;
    // QSerialPort says "permission" both for a node this user may not open and for one that
    // another program holds (its lock file, or the exclusive mode of the tty).
    if (error == QSerialPort::PermissionError)
        return mayReadWrite(device) ? OpenFailure::Busy : OpenFailure::Permission;
    return OpenFailure::Other;
}

} // namespace

QtSerialPort::QtSerialPort(LinkSettings settings, QObject* parent)
    : SerialPort(parent), m_settings(std::move(settings)) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::readArrived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::portError);
    m_watch.setInterval(watchMs);
    connect(&m_watch, &QTimer::timeout, this, &QtSerialPort::watchLine);
}

QtSerialPort::~QtSerialPort() {
    m_watch.stop();
    m_port.disconnect(this);
    m_port.close();
}

bool QtSerialPort::devicePresent(int16_t number) const {
    return deviceNodePresent(deviceFor(number));
}

QString QtSerialPort::deviceInstance(int16_t number) const {
    return deviceNodeInstance(deviceFor(number));
}

bool QtSerialPort::setPortOpen(bool open) {
    if (!open) {
        if (m_port.isOpen()) {
            closePort();
            if (m_trace)
                m_trace->closed(m_device);
        }
        return true;
    }
    if (m_port.isOpen())
        return true;
    const QString device = deviceFor(m_commPort);
    // The lock goes with the device, not with the name it was given: QSerialPort's lock file is
    // named after the node it opens, so the node behind a symbolic link is the one opened.
    const QString node = deviceNodePath(device);
    m_port.setPortName(node);
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setParity(m_settings.parity);
    m_port.setStopBits(m_settings.stopBits);
    m_port.setFlowControl(m_settings.flowControl);
#if defined(Q_OS_UNIX)
    // A program that opened the device under the name given here took the lock file of that name.
    if (deviceLocation(device) != node && !lockFilePathFor(device).isEmpty()) {
        m_nameLock = std::make_unique<QLockFile>(lockFilePathFor(device));
        m_nameLock->setStaleLockTime(0);
    }
    bool held = m_nameLock && !m_nameLock->tryLock();
    const bool opened = !held && m_port.open(QIODevice::ReadWrite);
    // Two names of one device (a by-id link and its ttyUSB node) meet at this lock, and so do two
    // consoles run as root, whom the tty's exclusive mode does not stop.
    if (opened && !lockDeviceNode(int(m_port.handle()))) {
        held = true;
        m_port.close();
    }
#else
    const bool held = false;
    const bool opened = m_port.open(QIODevice::ReadWrite);
#endif
    if (!opened || held) {
        m_nameLock.reset();
        m_openFailure = held ? OpenFailure::Busy : classifyOpenFailure(m_port.error(), device);
        QString traced = m_port.errorString();
        m_error = traced;
        if (m_openFailure == OpenFailure::Busy) {
            const DeviceHolder holder = deviceHolder(device);
            m_error = busyReason(holder.program, holder.pid);
            traced =
                QStringLiteral("held by another program (%1 pid %2)").arg(holder.program).arg(holder.pid);
        }
        m_openRemedy = openRemedyText(m_openFailure, device, deviceNodeGroup(device), currentUserName(),
                                      m_openFailure == OpenFailure::NoDevice ? systemSerialDevices(m_settings)
                                                                             : QList<SerialDeviceFacts>());
        m_port.clearError();
        if (m_trace)
            m_trace->openFailed(device, traced);
        return false;
    }
    m_device = device;
    m_error.clear();
    m_openFailure = OpenFailure::None;
    m_openRemedy.clear();
    m_in.clear();
    m_failedReads = 0;
    ++m_openings;
#if defined(Q_OS_UNIX)
    m_watch.start();
#endif
    if (m_trace)
        m_trace->opened(device, m_settings.baudRate, lineFormat(m_settings));
    return true;
}

void QtSerialPort::setOutBufferCount(int count) {
    if (count == 0 && m_port.isOpen())
        m_port.clear(QSerialPort::Output);
}

void QtSerialPort::output(const QByteArray& bytes) {
    if (!m_port.isOpen() || bytes.isEmpty())
        return;
    m_port.write(bytes);
    // Written now rather than at the next turn of the event loop, where a flood of input could
    // hold QSerialPort's own flush back: the pacing is the timer's. A write that finds the device
    // gone closes the port on the way.
    m_port.flush();
    // Taken once the write has returned, so that the next byte's 50 ms count from no earlier
    // than its leaving.
    m_lastWriteUs = LinkTrace::nowUs();
    if (m_trace && m_port.isOpen()) {
        for (const char c : bytes)
            m_trace->sent(uint8_t(c));
    }
}

qint64 QtSerialPort::sinceLastWriteUs() const {
    return m_lastWriteUs < 0 ? -1 : LinkTrace::nowUs() - m_lastWriteUs;
}

void QtSerialPort::setInBufferCount(int count) {
    if (count != 0 || m_in.isEmpty())
        return;
    if (m_trace)
        m_trace->inputDiscarded(int(m_in.size()));
    m_in.clear();
}

void QtSerialPort::setRThreshold(int threshold) {
    const bool wasOff = m_rThreshold < 1;
    m_rThreshold = threshold;
    if (!wasOff || threshold < 1)
        return;
    // QSerialPort does not raise readyRead again while its handler is still running (as it is
    // during a decoding's modal box): what it read meanwhile is taken over here.
    takeArrived();
    if (!m_in.isEmpty() && !m_receivePending) {
        // Queued, so that the receiver that raised the threshold has returned first.
        m_receivePending = true;
        QMetaObject::invokeMethod(this, &QtSerialPort::raiseReceive, Qt::QueuedConnection);
    }
}

QByteArray QtSerialPort::input() {
    const qsizetype n = m_inputLen > 0 ? std::min<qsizetype>(m_inputLen, m_in.size()) : m_in.size();
    QByteArray bytes = m_in.left(n);
    m_in.remove(0, n);
    return bytes;
}

void QtSerialPort::readArrived() {
    ++m_readPathRuns;
    if (takeArrived()) {
        m_failedReads = 0;
        raiseReceive();
    }
}

bool QtSerialPort::takeArrived() {
    if (!m_port.isOpen())
        return false;
    const QByteArray chunk = m_port.readAll();
    if (chunk.isEmpty())
        return false;
    if (m_trace)
        m_trace->received(chunk);
    m_in += chunk;
    return true;
}

void QtSerialPort::raiseReceive() {
    m_receivePending = false;
    if (m_rThreshold < 1 || m_in.isEmpty() || !m_port.isOpen())
        return;
    m_commEvent = comEvReceive;
    emit OnComm();
}

void QtSerialPort::portError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    ++m_readPathRuns;
    const bool lineError = error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
                           error == QSerialPort::WriteError;
    // Errors of a setting or a single call leave the line as it was.
    if (!lineError)
        return;
    // The error string of a read that met end-of-file is whatever errno held before: the line
    // itself says better what happened.
    const QString systemReason = m_port.errorString();
    if (const std::optional<LinkLoss> gone = lineGone()) {
        lose(*gone);
        return;
    }
    // After a resource error QSerialPort no longer reads the device: the session is over.
    if (error == QSerialPort::ResourceError) {
        lose(LinkLoss::IoError, systemReason);
        return;
    }
    // QSerialPort tries a failed read again as soon as it returns, so a read that keeps failing
    // without any sign of the device going would spin; a few in a row end the session.
    if (error == QSerialPort::ReadError && ++m_failedReads >= failedReadLimit) {
        lose(LinkLoss::ReadsFailing, systemReason);
        return;
    }
    if (m_trace)
        m_trace->note(
            QStringLiteral("%1 on %2: %3")
                .arg(QLatin1String(error == QSerialPort::WriteError ? "write failed" : "read failed"),
                     m_device, systemReason),
            (error == QSerialPort::WriteError ? tr("%1 写入失败：%2") : tr("%1 读取失败：%2"))
                .arg(m_device, systemReason));
    m_port.clearError();
}

void QtSerialPort::watchLine() {
    if (!m_port.isOpen())
        return;
    if (const std::optional<LinkLoss> gone = lineGone())
        lose(*gone);
}

std::optional<LinkLoss> QtSerialPort::lineGone() const {
#if defined(Q_OS_UNIX)
    if (!deviceNodePresent(m_device))
        return LinkLoss::NodeGone;
    // A tty that hung up (its adapter pulled, the far end of a pseudo-terminal closed) polls
    // as hung up for good; a line that is merely quiet does not.
    pollfd line{int(m_port.handle()), POLLIN, 0};
    if (::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return LinkLoss::HangUp;
#endif
    return std::nullopt;
}

void QtSerialPort::lose(LinkLoss cause, const QString& systemReason) {
    const QString reason = linkLossReason(cause, systemReason);
    m_error = reason;
    if (m_trace)
        m_trace->lost(m_device, linkLossTrace(cause, systemReason), reason);
    closePort();
    // Queued, so that the operator's box never opens inside QSerialPort's own notification; a
    // session opened again meanwhile is not told of the old one's end.
    const quint64 opening = m_openings;
    QMetaObject::invokeMethod(
        this,
        [this, reason, opening] {
            if (opening == m_openings && !m_port.isOpen())
                emit deviceLost(reason);
        },
        Qt::QueuedConnection);
}

void QtSerialPort::closePort() {
    m_watch.stop();
    // Bytes held back while the receiver was busy never reach it now.
    if (m_trace && !m_in.isEmpty())
        m_trace->unreadAtClose(int(m_in.size()));
    m_port.close();
    m_nameLock.reset();
    m_port.clearError();
    m_in.clear();
    m_failedReads = 0;
}
