// Form1, the console's one window. It owns every control, the shared state (FormState) and all
// handlers, and it lives in this folder alone, its handlers in files named after what they handle:
// startup (construction, Form_Load, Form_Unload), controls and catalogue (the controls in their
// design state), events (the binding of events to handlers), lamps, portbutton and transmitter
// (the port, the one send path), receiver, chipbuttons, addressbuttons, analogbutton,
// sourceplayer, positioncue, volumelevel, and trafficmonitor (the window's side of the monitor).
// The platform's controls MSComm1, MMControl1, CommonDialog1 and the message box come in as
// seams, so tests pass fakes. The folders below it (link, chip, player, monitor, app) know
// nothing of the window.
#pragma once

#include "app/messagebox.h"
#include "chip/operations.h"
#include "form/formstate.h"
#include "form/shape.h"
#include "link/serialport.h"
#include "player/filedialog.h"
#include "player/mediaplayer.h"

#include <QWidget>

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTimer;
class Reconnector;
class TrafficMonitor;
namespace player {
class SourceAnalyser;
}

// The platform's controls; only main() and the tests know which implementation they are.
struct FormPlatform {
    std::unique_ptr<SerialPort> serialPort;
    std::unique_ptr<MediaPlayer> mediaPlayer;
    std::unique_ptr<FileDialog> fileDialog;
    std::unique_ptr<MessageBox> messageBox;
};

class Form1 : public QWidget, public FormState {
    Q_OBJECT
public:
    using Platform = FormPlatform;

    // Builds the controls in their design state, binds the events, then runs Form_Load.
    explicit Form1(Platform platform, QWidget* parent = nullptr);
    ~Form1() override;

    // ---- Containers ----
    QGroupBox* Frame1 = nullptr;
    QLabel* Picture1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QGroupBox* Frame2 = nullptr;

    // ---- Frame1: top bar ----
    QLabel* Label12 = nullptr;
    QLineEdit* DisFileNanmeText = nullptr;

    // ---- Frame3: serial port and audio source player ----
    QLabel* Label2 = nullptr;
    QComboBox* Combo1 = nullptr;
    Shape* Seril_StDig = nullptr;
    QPushButton* Command16 = nullptr;
    QPushButton* open_file = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* MusicFileLenText = nullptr;
    QPushButton* SetMusicPoint = nullptr;
    QPushButton* Try_Listen = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* SetAddrText = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* PlayPointText = nullptr;
    QScrollBar* PlayPoint = nullptr;
    ShapeArray VolicDisPlay;
    QPushButton* VoilceVal = nullptr;
    QTimer* VoiclePtrTimer = nullptr;
    static constexpr int levelTickMs = 250;

    // ---- Frame7: analog path and device buttons ----
    QLabel* Label3 = nullptr;
    QComboBox* sound_in = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* SoundMon = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* SPKon = nullptr;
    QPushButton* si_ok = nullptr;
    QPushButton* devid_rst = nullptr;
    QPushButton* devid_pu = nullptr;
    QPushButton* devid_id = nullptr;
    ShapeArray Bottmp;

    // ---- Frame6: chip operations ----
    QLineEdit* CurrentRow = nullptr;
    QPushButton* CurrentRowComm = nullptr;
    QPushButton* play = nullptr;
    QPushButton* stop = nullptr;
    QLineEdit* RecTimeText = nullptr;
    QPushButton* rec = nullptr;
    QPushButton* fwd = nullptr;
    QPushButton* erase = nullptr;
    QPushButton* erase_all = nullptr;
    ShapeArray Lift;
    QTimer* Timer1 = nullptr;

    // ---- Frame4: addresses ----
    QLineEdit* Play_Text = nullptr;
    QPushButton* rd_play_addr = nullptr;
    QLineEdit* Rec_Text = nullptr;
    QPushButton* rd_rec_addr = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* St_Play_Text = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* St_Play_Text1 = nullptr;
    QPushButton* set_play_addr = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* St_Rec_Text = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* St_Rec_Text1 = nullptr;
    QPushButton* set_rec_addr = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* SetEraseText = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* SetEraseText1 = nullptr;
    QPushButton* SetEraseAddrComm = nullptr;
    ShapeArray Right;

    // ---- Frame2: contact line ----
    QLabel* Label16 = nullptr;

    // ---- Invisible platform controls ----
    SerialPort* MSComm1 = nullptr;
    MediaPlayer* MMControl1 = nullptr;
    FileDialog* CommonDialog1 = nullptr;

    // ---- Main window ----
    void Form_Load();
    void Form_Unload(int16_t& Cancel);
    void CriDigClr();
    // A modal box through the seam; an empty caption shows the application's title.
    void MsgBox(const QString& text, MessageBox::Icon icon = MessageBox::Icon::None,
                const QString& caption = QString());

    // ---- Serial link ----
    void Command16_Click();
    void Isd_Comm2_Send(uint8_t SendBytCnt);
    void Timer1_Timer();

    // The one way a frame goes out, as the buttons hand theirs over. For a command of the table of
    // operations: CriDigClr and its button's lamp (unless the caller lit it before checking its
    // entries), RinCnt reset where it is a read, its reply length in RinNeedCnt where it declares
    // one; then the frame in SendBuf and Isd_Comm2_Send.
    enum class LampStep { Light, AlreadyLit };
    void sendFrame(std::span<const uint8_t> frame, LampStep lamp = LampStep::Light);
    // A frame of any bytes with the length of the answer to wait for, counted from a fresh start
    // (the monitor's send line): no lamp.
    void sendFrame(std::span<const uint8_t> frame, uint8_t replyLength);
    // CriDigClr, then the lamp (none for Lamp{}).
    void showLamp(chip::Lamp lamp);
    void MSComm1_OnComm();
    // The port went away while open (adapter pulled out, line hung up): back to Closed, the
    // operator told once.
    void MSComm1_DeviceLost(const QString& reason);
    // Bytes counted past RinNeedCnt can no longer make a reply; once the line has been quiet for
    // rinQuietMs (far longer than the gap between two bytes of one reply) they are dropped, so
    // that the next answer is decoded. RinQuietTimer restarts at every receive event.
    static constexpr int rinQuietMs = 100;
    QTimer* RinQuietTimer = nullptr;
    void RinQuietTimer_Timer();
    // Reconnecting (--reconnect, the context menu's checkable "自动重连"), off at start-up: after
    // a loss the device is waited for and opened again when it comes back (link/reconnect.h).
    QAction* reconnectAction = nullptr;
    Reconnector* reconnector = nullptr;
    // The lost port is open again: the window shows it as after an opening click, and the box that
    // told of the loss goes down by itself.
    void portReopened();
    QString MyRinByteToStr(const uint8_t* RinByte, uint8_t StartCnt, uint8_t LenCnt);
    QString HexToString(const std::vector<uint8_t>& HexData);
    QString FindChar(uint8_t& ByteTempp);
    QString DeviceType(uint8_t inputTypeData);

    // ---- Chip command set ----
    void devid_pu_Click();
    void devid_id_Click();
    void devid_rst_Click();
    void play_Click();
    void stop_Click();
    void rec_Click();
    void fwd_Click();
    void erase_Click();
    void erase_all_Click();
    void rd_play_addr_Click();
    void rd_rec_addr_Click();
    void CurrentRowComm_Click();
    void set_play_addr_Click();
    void set_rec_addr_Click();
    void SetEraseAddrComm_Click();
    uint8_t StrToHex(QString& StringTemp);
    void si_ok_Click();

    // ---- Audio source player ----
    void open_file_Click();
    // What the open button does once a file is chosen: the file opened and held at its start, the
    // position and cue texts at 00:00:00 and its length shown. False, with the file dropped and the
    // operator told, when it cannot be opened.
    bool openSourceFile(const QString& path);
    void Try_Listen_Click();
    void MMControl1_StatusUpdate();
    void PlayPoint_Change();
    void SetMusicPoint_Click();
    QString DipPlayPosit(int32_t lgPositData);
    int32_t lgGetMusicPoint(const QString& musicpoint);
    int32_t CovMusicPoint(int32_t lgdata);
    void SoundDip(uint8_t SoundVol);
    void VoilceVal_Click();
    void VoiclePtrTimer_Timer();
    // Measures the file opened by the operator; the tooltip of DisFileNanmeText shows the figures.
    player::SourceAnalyser* sourceAnalyser = nullptr;

    // ---- Traffic monitor ----
    TrafficMonitor* Monitor = nullptr;

    // The buttons, boxes and the slider that send to the board or move the player, all at once: off
    // while something else (a recording job) drives the board through the window.
    void setOperationsEnabled(bool enabled);

    // Hands every decoded answer (replyDecoded) to handler, for as long as context lives: the way in
    // for code that drives the board from outside the window.
    QMetaObject::Connection onReplyDecoded(QObject* context,
                                           std::function<void(uint8_t, const QByteArray&)> handler);

signals:
    // The receiver has decoded an answer: the command it answers (SendCmd) and its bytes, from
    // RinBuf(0). Raised once the receiver is ready for the next answer, so that a slot may send.
    void replyDecoded(uint8_t command, const QByteArray& reply);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void setTabOrder();
    // Every control event to its handler, as the window's table of events lists them, and the
    // console's own events beside them.
    void bindEvents();
    // The context menu's "自动重连" and Combo1's tooltip.
    void setUpPortExtras();
    // The figures of the open file in the tooltip of DisFileNanmeText, once sourceAnalyser has them.
    void setUpSourceFigures();
    // Port lamp white and Command16 "打开串口": the port is closed, by a click or by its loss.
    void showPortClosed();
    // The frame into SendBuf, then Isd_Comm2_Send with its length.
    void handOver(std::span<const uint8_t> frame);

    Platform m_platform;
    bool m_unloaded = false;
    // The box that told of the port's loss, taken down when the port is back.
    quint64 m_lossBox = 0;
    // The last command sent that made the chip act: the one a CMD_ERR in a later answer refused.
    std::optional<uint8_t> m_lastActingCommand;
};
