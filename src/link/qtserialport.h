// The product's MSComm1: the serial-port seam over QSerialPort, raw binary in both directions.
// Received bytes are held here between receive events, so that InBufferCount and Input behave as
// the receiver expects and every chunk can be traced when it arrives.
#pragma once

#include "link/linksettings.h"
#include "link/serialport.h"

#include <QSerialPort>

class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(LinkSettings settings, QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setCommPort(int16_t number) override { m_commPort = number; }
    int16_t commPort() const override { return m_commPort; }
    QString deviceFor(int16_t number) const override { return m_settings.deviceFor(number); }

    bool portOpen() const override { return m_port.isOpen(); }
    bool setPortOpen(bool open) override;
    QString errorString() const override { return m_error; }

    // The line carries raw bytes whatever the mode: there is no text mode to switch from.
    void setInputMode(int) override {}
    void setOutBufferCount(int count) override;
    void output(const QByteArray& bytes) override;
    int inBufferCount() const override { return int(m_in.size()); }
    void setInBufferCount(int count) override;
    void setRThreshold(int threshold) override;
    void setInputLen(int length) override { m_inputLen = length; }
    QByteArray input() override;
    int commEvent() const override { return m_commEvent; }

    const LinkSettings& settings() const { return m_settings; }

private:
    void readArrived();
    // Moves what QSerialPort has read into the input buffer; false when there was nothing.
    bool takeArrived();
    void raiseReceive();
    void portError(QSerialPort::SerialPortError error);
    void closePort();

    LinkSettings m_settings;
    QSerialPort m_port;
    int16_t m_commPort = 1;
    QString m_error;
    QByteArray m_in;
    int m_rThreshold = 1;
    int m_inputLen = 1;
    int m_commEvent = 0;
    bool m_receivePending = false;
};
