// The port button Command16: opens the port numbered in Combo1, or closes the open one.
#include "app/form1.h"
#include "link/linksettings.h"
#include "link/reconnect.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

namespace {

const QColor portClosedWhite(0xFF, 0xFF, 0xFF);
const QColor portOpenGreen(0x00, 0xFF, 0x00);

} // namespace

void Form1::Command16_Click() {
    // The operator takes the port over: a wait for a lost device ends here.
    reconnector->stopWaiting();
    Bottmp(0).setVisible(false);
    if (MSComm1->portOpen()) {
        // A frame still in transit must not be written to a closed port.
        Timer1->stop();
        SendPos = 0;
        MSComm1->setPortOpen(false);
        Command16->setText(tr("打开串口"));
        Seril_StDig->setFillColor(portClosedWhite);
        return;
    }
    const int16_t number = portNumberFromText(Combo1->currentText());
    if (number == 0) {
        MsgBox(tr("串口号“%1”无效：请选择 1 到 16 之间的串口号").arg(Combo1->currentText()),
               MessageBox::Icon::Critical, tr("串口状态"));
        return;
    }
    MSComm1->setCommPort(number);
    if (!MSComm1->setPortOpen(true)) {
        QString text = tr("无法打开串口 %1（%2）：%3")
                           .arg(number)
                           .arg(MSComm1->deviceFor(number), MSComm1->errorString());
        const QString remedy = MSComm1->openRemedy();
        if (!remedy.isEmpty())
            text += QLatin1Char('\n') + remedy;
        MsgBox(text, MessageBox::Icon::Critical, tr("串口状态"));
        return;
    }
    Command16->setText(tr("关闭串口"));
    Seril_StDig->setFillColor(portOpenGreen);
}

void Form1::portReopened() {
    Bottmp(0).setVisible(false);
    Command16->setText(tr("关闭串口"));
    Seril_StDig->setFillColor(portOpenGreen);
}
