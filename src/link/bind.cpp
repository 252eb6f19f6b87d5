// Binding of the serial link's events: the port button, the pacing timer, the receive event, the
// receiver's quiet timer, the loss of the device and the context menu's "自动重连"; Combo1's tooltip
// names the device its number opens and whether that device is there when the tooltip shows.
#include "app/form1.h"
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

void Form1::bindLink() {
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(MSComm1, &SerialPort::OnComm, this, &Form1::MSComm1_OnComm);
    connect(MSComm1, &SerialPort::deviceLost, this, &Form1::MSComm1_DeviceLost);

    RinQuietTimer = new QTimer(this);
    RinQuietTimer->setObjectName(QStringLiteral("RinQuietTimer"));
    RinQuietTimer->setSingleShot(true);
    connect(RinQuietTimer, &QTimer::timeout, this, &Form1::RinQuietTimer_Timer);

    reconnector = new Reconnector(MSComm1, m_platform.messageBox.get(), this);
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
