// The product's MSComm1: the serial-port seam over QSerialPort, raw binary in both directions.
// Received bytes are held here between receive events, so that InBufferCount and Input behave as
// the receiver expects and every chunk can be traced when it arrives. The loss of the device, by
// whatever way it goes, is found here and nowhere else (lose()).
#pragma once

#include "link/linksettings.h"
#include "link/serialport.h"

#include <QLockFile>
#include <QSerialPort>
#include <QTimer>

#include <memory>
#include <optional>

class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(LinkSettings settings, QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setCommPort(int16_t number) override { m_commPort = number; }
    int16_t commPort() const override { return m_commPort; }
    QString deviceFor(int16_t number) const override { return m_settings.deviceFor(number); }
    bool devicePresent(int16_t number) const override;
    QString deviceInstance(int16_t number) const override;

    bool portOpen() const override { return m_port.isOpen(); }
    bool setPortOpen(bool open) override;
    QString errorString() const override { return m_error; }
    OpenFailure openFailure() const override { return m_openFailure; }
    QString openRemedy() const override { return m_openRemedy; }

    // The line carries raw bytes whatever the mode: there is no text mode to switch from.
    void setInputMode(int) override {}
    void setOutBufferCount(int count) override;
    void output(const QByteArray& bytes) override;
    qint64 sinceLastWriteUs() const override;
    int inBufferCount() const override { return int(m_in.size()); }
    void setInBufferCount(int count) override;
    void setRThreshold(int threshold) override;
    void setInputLen(int length) override { m_inputLen = length; }
    QByteArray input() override;
    int commEvent() const override { return m_commEvent; }

    const LinkSettings& settings() const { return m_settings; }
    // How often QSerialPort has woken the read path (bytes or an error) since construction. A
    // device that went away must not keep it running: this stays put once the loss is handled.
    qint64 readPathRuns() const { return m_readPathRuns; }

    // While open, the device node and the line are looked at this often, so that a node removed
    // without any event on the line is noticed within a second.
    static constexpr int watchMs = 400;
    // Reads that fail this many times in a row, with no byte between them and no other sign of
    // the device going, end the session: QSerialPort would otherwise retry them at full speed.
    static constexpr int failedReadLimit = 3;

private:
    void readArrived();
    // Moves what QSerialPort has read into the input buffer; false when there was nothing.
    bool takeArrived();
    void raiseReceive();
    void portError(QSerialPort::SerialPortError error);
    void watchLine();
    // Whether the open device has gone: its node removed, or the line hung up.
    std::optional<LinkLoss> lineGone() const;
    // Closes the port and tells of the loss, once: the one place where a session ends by itself.
    void lose(LinkLoss cause, const QString& systemReason = QString());
    void closePort();

    LinkSettings m_settings;
    QSerialPort m_port;
    // While open under a symbolic link: the lock file of that name, beside QSerialPort's of the node.
    std::unique_ptr<QLockFile> m_nameLock;
    QTimer m_watch;
    int16_t m_commPort = 1;
    QString m_device;
    QString m_error;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openRemedy;
    QByteArray m_in;
    int m_rThreshold = 1;
    int m_inputLen = 1;
    int m_commEvent = 0;
    bool m_receivePending = false;
    int m_failedReads = 0;
    qint64 m_readPathRuns = 0;
    quint64 m_openings = 0;
    qint64 m_lastWriteUs = -1;
};
