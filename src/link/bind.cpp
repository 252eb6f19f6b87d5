// Binding of the serial link's events: the port button, the pacing timer, the receive event, the
// receiver's quiet timer and the loss of the device; Combo1's tooltip names the device its number
// opens.
#include "app/form1.h"
#include "link/linksettings.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

void Form1::bindLink() {
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(MSComm1, &SerialPort::OnComm, this, &Form1::MSComm1_OnComm);
    connect(MSComm1, &SerialPort::deviceLost, this, &Form1::MSComm1_DeviceLost);

    RinQuietTimer = new QTimer(this);
    RinQuietTimer->setObjectName(QStringLiteral("RinQuietTimer"));
    RinQuietTimer->setSingleShot(true);
    connect(RinQuietTimer, &QTimer::timeout, this, &Form1::RinQuietTimer_Timer);

    const auto showDevice = [this] {
        const int16_t number = portNumberFromText(Combo1->currentText());
        Combo1->setToolTip(number != 0 ? MSComm1->deviceFor(number)
                                       : QStringLiteral("串口号须为 1 到 16 之间的整数"));
    };
    connect(Combo1, &QComboBox::currentTextChanged, this, showDevice);
    showDevice();
}
