// Form1, the console's one window. It owns every control, the shared state (FormState) and all
// handlers. Handlers live beside their subsystem: app/ (layout, start-up, lamps), link/ (port,
// transmitter, receiver), chip/ (command buttons, address commands, analog path) and player/
// (audio source player, position and cue, volume and level). The platform's controls MSComm1,
// MMControl1, CommonDialog1 and the message box come in as seams, so tests pass fakes.
#pragma once

#include "app/formstate.h"
#include "app/messagebox.h"
#include "app/shape.h"
#include "link/serialport.h"
#include "player/filedialog.h"
#include "player/mediaplayer.h"

#include <QWidget>

#include <cstdint>
#include <memory>

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

class Form1 : public QWidget, public FormState {
    Q_OBJECT
public:
    // The platform's controls; only main() and the tests know which implementation they are.
    struct Platform {
        std::unique_ptr<SerialPort> serialPort;
        std::unique_ptr<MediaPlayer> mediaPlayer;
        std::unique_ptr<FileDialog> fileDialog;
        std::unique_ptr<MessageBox> messageBox;
    };

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

    // ---- Main window (app/) ----
    void Form_Load();
    void Form_Unload(int16_t& Cancel);
    void CriDigClr();
    // A modal box through the seam; an empty caption shows the application's title.
    void MsgBox(const QString& text, MessageBox::Icon icon = MessageBox::Icon::None,
                const QString& caption = QString());

    // ---- Serial link (link/) ----
    void Command16_Click();
    void Isd_Comm2_Send(uint8_t SendBytCnt);
    void Timer1_Timer();
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
    // The lost port is open again: the window shows it as after an opening click.
    void portReopened();
    QString MyRinByteToStr(const uint8_t* RinByte, uint8_t StartCnt, uint8_t LenCnt);
    QString HexToString(const std::vector<uint8_t>& HexData);
    QString FindChar(uint8_t& ByteTempp);
    QString DeviceType(uint8_t inputTypeData);

    // ---- Chip command set (chip/) ----
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

    // ---- Audio source player (player/) ----
    void open_file_Click();
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

    // ---- Traffic monitor (monitor/) ----
    TrafficMonitor* Monitor = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void setTabOrder();
    // Each subsystem binds the events of the controls it owns.
    void bindLink();
    void bindChip();
    void bindPlayer();
    void bindVolume();
    void bindMonitor();

    Platform m_platform;
    bool m_unloaded = false;
};
