// Form1's life: construction (the controls, the binding of events), start-up (Form_Load) and
// shutdown (Form_Unload).
#include "form/form1.h"

#include "link/reconnect.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QTimer>

Form1::Form1(Platform platform, QWidget* parent) : QWidget(parent), m_platform(std::move(platform)) {
    MSComm1 = m_platform.serialPort.get();
    MMControl1 = m_platform.mediaPlayer.get();
    CommonDialog1 = m_platform.fileDialog.get();
    if (auto* qtBox = dynamic_cast<QtMessageBox*>(m_platform.messageBox.get()))
        qtBox->setParent(this);

    buildControls();
    setTabOrder();
    bindEvents();
    Form_Load();
}

Form1::~Form1() {
    // The timers and the platform controls must not call back into a half-destroyed window.
    if (Timer1)
        Timer1->stop();
    if (VoiclePtrTimer)
        VoiclePtrTimer->stop();
    if (reconnector)
        reconnector->stopWaiting();
    if (MSComm1)
        MSComm1->disconnect(this);
    if (MMControl1)
        MMControl1->disconnect(this);
}

void Form1::MsgBox(const QString& text, MessageBox::Icon icon, const QString& caption) {
    m_platform.messageBox->show(text, icon, caption);
}

void Form1::Form_Load() {
    for (QLineEdit* box : {Play_Text, Rec_Text, St_Play_Text, St_Play_Text1, St_Rec_Text, St_Rec_Text1,
                           SetEraseText, SetEraseText1, CurrentRow})
        box->setText(QString());
    Bottmp(0).setVisible(false);
    CriDigClr();
    VolStep = 4;
    SoundDip(VolStep);
    VoiclePtrTimer->start();
    ListenOn = false;
    TryListenFlag = false;
}

void Form1::Form_Unload(int16_t& Cancel) {
    Q_UNUSED(Cancel);
    MMControl1->setCommand(QStringLiteral("Close"));
    // Nothing keeps looking for a lost port once the window is gone.
    reconnector->stopWaiting();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        int16_t cancel = 0;
        Form_Unload(cancel);
        m_unloaded = true;
    }
    event->accept();
}
