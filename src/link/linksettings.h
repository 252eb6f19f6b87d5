// The serial line as the operator sets it on the command line: which device each port number
// opens, and the line settings (1200 baud, 8 data bits, no parity, one stop bit by default).
#pragma once

#include <QMap>
#include <QSerialPort>
#include <QString>

#include <cstdint>

struct LinkSettings {
    QMap<int, QString> portDevices; // port number (1..16) -> device, from --port N=DEVICE
    qint32 baudRate = 1200;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;

    // The device a port number opens: the one named on the command line, otherwise COMn on
    // Windows and /dev/ttyUSB<n-1> elsewhere.
    QString deviceFor(int number) const {
        if (auto it = portDevices.constFind(number); it != portDevices.cend())
            return it.value();
#ifdef Q_OS_WIN
        return QStringLiteral("COM%1").arg(number);
#else
        return QStringLiteral("/dev/ttyUSB%1").arg(number - 1);
#endif
    }
};

// Combo1's text as a port number; 0 when it is not a whole number from 1 to 16.
inline int16_t portNumberFromText(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return (ok && n >= 1 && n <= 16) ? int16_t(n) : int16_t(0);
}
