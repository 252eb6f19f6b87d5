// The port: Command16 opens the port numbered in Combo1 or closes the open one; a port lost while
// open (adapter pulled out, line hung up) goes back to closed with one box, and with "自动重连"
// comes back by itself. Combo1's tooltip names the device its number opens and whether it is there.
#include "form/form1.h"

#include "form/colours.h"
#include "link/linksettings.h"
#include "link/reconnect.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

// Refreshes a widget's tooltip just before it shows, so that what it says is true now.
class TooltipRefresh final : public QObject {
public:
    TooltipRefresh(QWidget* widget, std::function<void()> refresh)
        : QObject(widget), m_refresh(std::move(refresh)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip)
            m_refresh();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_refresh;
};

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
        showPortClosed();
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
    Seril_StDig->setFillColor(colours::green);
}

void Form1::showPortClosed() {
    Command16->setText(tr("打开串口"));
    Seril_StDig->setFillColor(colours::white);
}

void Form1::MSComm1_DeviceLost(const QString& reason) {
    Timer1->stop();
    SendPos = 0;
    if (MSComm1->portOpen())
        MSComm1->setPortOpen(false);
    showPortClosed();
    // The box shown next is the one to take down when the device is back.
    m_lossBox = m_platform.messageBox->shownCount() + 1;
    reconnector->portLost();
    MsgBox(tr("串口 %1 已断开：%2").arg(MSComm1->deviceFor(MSComm1->commPort()), reason),
           MessageBox::Icon::Critical, tr("串口状态"));
}

void Form1::portReopened() {
    Bottmp(0).setVisible(false);
    Command16->setText(tr("关闭串口"));
    Seril_StDig->setFillColor(colours::green);
    m_platform.messageBox->close(m_lossBox);
}

void Form1::setUpPortExtras() {
    reconnector = new Reconnector(MSComm1, this);
    connect(reconnector, &Reconnector::reopened, this, &Form1::portReopened);
    reconnectAction = new QAction(tr("自动重连"), this);
    reconnectAction->setObjectName(QStringLiteral("reconnectAction"));
    reconnectAction->setCheckable(true);
    connect(reconnectAction, &QAction::toggled, reconnector, &Reconnector::setOn);
    // The window's context menu lists its actions; other capabilities add theirs beside this one.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addAction(reconnectAction);

    const auto showDevice = [this] {
        const int16_t number = portNumberFromText(Combo1->currentText());
        if (number == 0) {
            Combo1->setToolTip(tr("串口号须为 1 到 16 之间的整数"));
            return;
        }
        const QString device = MSComm1->deviceFor(number);
        Combo1->setToolTip(MSComm1->devicePresent(number)
                               ? tr("串口号 %1 打开 %2\n该设备现在存在").arg(number).arg(device)
                               : tr("串口号 %1 打开 %2\n该设备现在不存在").arg(number).arg(device));
    };
    connect(Combo1, &QComboBox::currentTextChanged, this, showDevice);
    new TooltipRefresh(Combo1, showDevice);
    showDevice();
}
