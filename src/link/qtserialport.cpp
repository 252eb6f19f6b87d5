// MSComm1 over QSerialPort.
#include "link/qtserialport.h"

#include "link/linktrace.h"

#include <utility>

QtSerialPort::QtSerialPort(LinkSettings settings, QObject* parent)
    : SerialPort(parent), m_settings(std::move(settings)) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::readArrived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::portError);
}

QtSerialPort::~QtSerialPort() {
    m_port.disconnect(this);
    m_port.close();
}

bool QtSerialPort::setPortOpen(bool open) {
    if (!open) {
        if (m_port.isOpen()) {
            closePort();
            if (m_trace)
                m_trace->note(QStringLiteral("closed %1").arg(m_port.portName()));
        }
        return true;
    }
    if (m_port.isOpen())
        return true;
    const QString device = deviceFor(m_commPort);
    m_port.setPortName(device);
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setParity(m_settings.parity);
    m_port.setStopBits(m_settings.stopBits);
    m_port.setFlowControl(m_settings.flowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        m_port.clearError();
        if (m_trace)
            m_trace->note(QStringLiteral("cannot open %1: %2").arg(device, m_error));
        return false;
    }
    m_error.clear();
    m_in.clear();
    if (m_trace)
        m_trace->note(QStringLiteral("opened %1 at %2 baud").arg(device).arg(m_settings.baudRate));
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
    // Written now rather than at the next turn of the event loop: the pacing is the timer's.
    m_port.flush();
    if (m_trace) {
        for (const char c : bytes)
            m_trace->sent(uint8_t(c));
    }
}

void QtSerialPort::setInBufferCount(int count) {
    if (count == 0)
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
    if (takeArrived())
        raiseReceive();
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
    // Only a vanished device ends the session; other errors are the board's to cure.
    if (error != QSerialPort::ResourceError || !m_port.isOpen())
        return;
    const QString reason = m_port.errorString();
    m_error = reason;
    closePort();
    if (m_trace)
        m_trace->note(QStringLiteral("lost %1: %2").arg(m_port.portName(), reason));
    // Closed first, so no further error of this device can follow: the operator hears of it once.
    emit deviceLost(reason);
}

void QtSerialPort::closePort() {
    m_port.close();
    m_port.clearError();
    m_in.clear();
}
