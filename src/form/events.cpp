// The binding of events to handlers: each control event goes to the one handler named after the
// control and the event, as the window's table of events lists them; the console's own events
// (the port's loss, the receiver's quiet timer, the player's notices) follow.
#include "form/form1.h"

#include "form/trafficmonitor.h"
#include "player/qtfiledialog.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

void Form1::bindEvents() {
    // Form_Load runs at the end of construction, Form_Unload from closeEvent.
    const std::pair<QPushButton*, void (Form1::*)()> clicks[] = {
        {Command16, &Form1::Command16_Click},
        {devid_pu, &Form1::devid_pu_Click},
        {devid_id, &Form1::devid_id_Click},
        {devid_rst, &Form1::devid_rst_Click},
        {play, &Form1::play_Click},
        {stop, &Form1::stop_Click},
        {rec, &Form1::rec_Click},
        {fwd, &Form1::fwd_Click},
        {erase, &Form1::erase_Click},
        {erase_all, &Form1::erase_all_Click},
        {rd_play_addr, &Form1::rd_play_addr_Click},
        {rd_rec_addr, &Form1::rd_rec_addr_Click},
        {CurrentRowComm, &Form1::CurrentRowComm_Click},
        {set_play_addr, &Form1::set_play_addr_Click},
        {set_rec_addr, &Form1::set_rec_addr_Click},
        {SetEraseAddrComm, &Form1::SetEraseAddrComm_Click},
        {si_ok, &Form1::si_ok_Click},
        {open_file, &Form1::open_file_Click},
        {Try_Listen, &Form1::Try_Listen_Click},
        {SetMusicPoint, &Form1::SetMusicPoint_Click},
        {VoilceVal, &Form1::VoilceVal_Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(MSComm1, &SerialPort::OnComm, this, &Form1::MSComm1_OnComm);
    connect(MMControl1, &MediaPlayer::StatusUpdate, this, &Form1::MMControl1_StatusUpdate);
    // valueChanged comes only on a real change, from the operator and from code alike.
    connect(PlayPoint, &QScrollBar::valueChanged, this, &Form1::PlayPoint_Change);
    connect(VoiclePtrTimer, &QTimer::timeout, this, &Form1::VoiclePtrTimer_Timer);

    connect(MSComm1, &SerialPort::deviceLost, this, &Form1::MSComm1_DeviceLost);
    RinQuietTimer = new QTimer(this);
    RinQuietTimer->setObjectName(QStringLiteral("RinQuietTimer"));
    RinQuietTimer->setSingleShot(true);
    connect(RinQuietTimer, &QTimer::timeout, this, &Form1::RinQuietTimer_Timer);
    // The player tells things like a missing sound output, at most once per play: each is shown.
    connect(MMControl1, &MediaPlayer::notice, this,
            [this](const QString& text) { MsgBox(text, MessageBox::Icon::Information); });
    if (auto* dialog = dynamic_cast<QtFileDialog*>(CommonDialog1))
        dialog->setParent(this);

    setUpPortExtras();
    setUpSourceFigures();
    // The traffic monitor records from the window's start and opens on demand.
    Monitor = new TrafficMonitor(*this);
}
