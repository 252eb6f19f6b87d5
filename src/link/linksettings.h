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

// The frame format as bench engineers write it, data bits, parity and stop bits ("8N1"), followed by
// the flow control when there is one ("8E2 RTS/CTS").
inline QString lineFormat(const LinkSettings& s) {
    QString parity = QStringLiteral("?");
    switch (s.parity) {
    case QSerialPort::NoParity:
        parity = QStringLiteral("N");
        break;
    case QSerialPort::EvenParity:
        parity = QStringLiteral("E");
        break;
    case QSerialPort::OddParity:
        parity = QStringLiteral("O");
        break;
    case QSerialPort::MarkParity:
        parity = QStringLiteral("M");
        break;
    case QSerialPort::SpaceParity:
        parity = QStringLiteral("S");
        break;
    }
    const QString stop =
        s.stopBits == QSerialPort::OneAndHalfStop ? QStringLiteral("1.5") : QString::number(int(s.stopBits));
    QString format = QStringLiteral("%1%2%3").arg(int(s.dataBits)).arg(parity, stop);
    if (s.flowControl == QSerialPort::HardwareControl)
        format += QStringLiteral(" RTS/CTS");
    else if (s.flowControl == QSerialPort::SoftwareControl)
        format += QStringLiteral(" XON/XOFF");
    return format;
}

// Combo1's text as a port number; 0 when it is not a whole number from 1 to 16.
inline int16_t portNumberFromText(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return (ok && n >= 1 && n <= 16) ? int16_t(n) : int16_t(0);
}
