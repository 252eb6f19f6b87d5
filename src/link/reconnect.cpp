// Reopening a lost port when its device comes back.
#include "link/reconnect.h"

#include "link/linktrace.h"
#include "link/serialport.h"

Reconnector::Reconnector(SerialPort* port, QObject* parent) : QObject(parent), m_port(port) {
    m_looking.setInterval(lookMs);
    connect(&m_looking, &QTimer::timeout, this, &Reconnector::look);
}

void Reconnector::setOn(bool on) {
    m_on = on;
    if (!on)
        stopWaiting();
}

void Reconnector::portLost() {
    if (!m_on)
        return;
    m_number = m_port->commPort();
    m_device = m_port->deviceFor(m_number);
    m_lostInstance = m_port->deviceInstance(m_number);
    m_seenAbsent = m_lostInstance.isEmpty();
    note(QStringLiteral("waiting for %1 to come back").arg(m_device), tr("等待 %1 重新接上").arg(m_device));
    m_looking.start();
}

void Reconnector::stopWaiting() {
    if (!m_looking.isActive())
        return;
    m_looking.stop();
    note(QStringLiteral("no longer waiting for %1").arg(m_device), tr("不再等待 %1").arg(m_device));
}

void Reconnector::look() {
    ++m_looks;
    if (m_port->portOpen()) { // opened meanwhile by other means: nothing left to wait for
        m_looking.stop();
        return;
    }
    const QString instance = m_port->deviceInstance(m_number);
    if (instance.isEmpty()) {
        m_seenAbsent = true;
        return;
    }
    // Reads failing on a device that is still there would fail again: only a device that went
    // away and came back (or came back as a new node between two looks) is opened again.
    if (!m_seenAbsent && instance == m_lostInstance)
        return;
    ++m_openAttempts;
    m_port->setCommPort(m_number);
    // A node that has just appeared may not be ours to open yet (udev still setting its group),
    // or another program took it first: the next look tries again.
    if (!m_port->setPortOpen(true))
        return;
    m_looking.stop();
    note(QStringLiteral("reconnected %1").arg(m_device), tr("已重新连接 %1").arg(m_device));
    emit reopened();
}

void Reconnector::note(const QString& text, const QString& shown) const {
    if (LinkTrace* trace = m_port->trace())
        trace->note(text, shown);
}
