// The audio source player: opening a file, the trial listen toggle and the player's 200 ms
// status event that counts the position and rewinds a file that has played to its end.
#include "form/form1.h"
#include "player/pointscale.h"
#include "player/sourceanalyser.h"
#include "player/timetext.h"

#include <QLineEdit>
#include <QScrollBar>

namespace {

constexpr int32_t openDialogFlags = 0x80000; // the explorer-style dialog, nothing else
constexpr int32_t statusStepMs = 200;

// Looked up when shown, so that it speaks the interface language chosen at start-up.
QString pickFileText() {
    return Form1::tr("请先选择音频文件");
}

// Back to the look of start-up after a file could not be (re)opened: nothing is held, so that
// the trial listen asks for a file and a stale length or position is not left on show.
void dropFile(Form1& w) {
    w.MMControl1->setCommand(QStringLiteral("close"));
    w.MMControl1->setUpdateInterval(0);
    w.MMControl1->setFileName(QString());
    w.MusicFileName.clear();
    // Nothing plays any more, so nothing is counted either.
    w.ListenOn = false;
    w.PlayerRun = false;
    w.DisFileNanmeText->setText(QStringLiteral(".mp3"));
    w.sourceAnalyser->stop();
    w.DisFileNanmeText->setToolTip(QString());
    w.MusicFileLenText->clear();
    // No file, no time scale: as before the first file, the slider means 0 ms wherever it is, and
    // the cue button is ignored (SetMusicPoint_Click).
    w.PointScale = 0;
    w.PointMode = 0;
    w.PlayPoint->setValue(0);
    w.PlayPosit = 0;
    w.PlayPointText->setText(w.DipPlayPosit(0));
    w.SetAddrText->setText(w.PlayPointText->text());
}

// Issues "Stop" and "Open" on the player's FileName. A file that cannot be opened is dropped and
// the operator told, after the state is settled: a real box runs its own event loop, and further
// status events must find nothing left to reopen.
bool stopAndOpen(Form1& w) {
    w.MMControl1->setCommand(QStringLiteral("Stop"));
    w.MMControl1->setCommand(QStringLiteral("Open"));
    const QString failure = w.MMControl1->openError();
    if (failure.isEmpty())
        return true;
    const QString path = w.MusicFileName;
    dropFile(w);
    w.MsgBox(Form1::tr("无法打开音频文件：%1\n%2").arg(path, failure), MessageBox::Icon::Critical,
             Form1::tr("打开文件"));
    return false;
}

} // namespace

void Form1::open_file_Click() {
    CommonDialog1->Flags = openDialogFlags;
    CommonDialog1->DialogTitle = tr("请选择音频文件");
    //: Pairs of a description and its file pattern, split by "|"; the patterns stay as they are.
    CommonDialog1->Filter = tr("音频文件|*.mp3|动画文件|*.wav|所有文件|*.*");
    CommonDialog1->ShowOpen();

    if (CommonDialog1->FileName.isEmpty()) {
        TryListenFlag = false;
        ListenOn = false;
        MsgBox(pickFileText());
        return;
    }
    openSourceFile(CommonDialog1->FileName);
}

bool Form1::openSourceFile(const QString& path) {
    MMControl1->setCommand(QStringLiteral("close"));
    MMControl1->setUpdateInterval(0);
    MMControl1->setShareable(true);
    MusicFileName = path;
    MMControl1->setFileName(MusicFileName);
    DisFileNanmeText->setText(MMControl1->fileName());

    TryListenFlag = false;
    ListenOn = false;
    if (!stopAndOpen(*this))
        return false;
    DisFileNanmeText->setToolTip(tr("正在分析声音……"));
    sourceAnalyser->start(MusicFileName);
    // Played and paused at once, the file is held at its start with no status events.
    MMControl1->setCommand(QStringLiteral("Play"));
    MMControl1->setCommand(QStringLiteral("Pause"));

    PlayPointText->setText(QStringLiteral("00:00:00"));
    SetAddrText->setText(PlayPointText->text());

    const int32_t length = MMControl1->length();
    const player::PointScaleSetup scale = player::pointScaleFor(length, PlayPoint->maximum(), PointScale);
    PointScale = scale.scale;
    PointMode = scale.mode;
    MusicFileLenText->setText(DipPlayPosit(length));
    PlayPosit = 0;
    return true;
}

void Form1::setUpSourceFigures() {
    sourceAnalyser = new player::SourceAnalyser(this);
    connect(sourceAnalyser, &player::SourceAnalyser::measured, this,
            [this](const QString&, const player::SourceFigures& figures) {
                DisFileNanmeText->setToolTip(player::figuresText(figures));
            });
    connect(sourceAnalyser, &player::SourceAnalyser::failed, this,
            [this](const QString&, const QString& reason) {
                DisFileNanmeText->setToolTip(tr("无法分析声音：%1").arg(reason));
            });
}

void Form1::Try_Listen_Click() {
    // Set before any test: the set-record-address button asks only that it was pressed.
    TryListenFlag = true;
    if (RecOn)
        return;
    if (MMControl1->fileName().isEmpty()) {
        MsgBox(pickFileText());
        return;
    }
    ListenOn = !ListenOn;
    if (ListenOn) {
        MMControl1->setCommand(QStringLiteral("Play"));
        PlayerRun = true;
        MMControl1->setUpdateInterval(statusStepMs);
    } else {
        MMControl1->setCommand(QStringLiteral("Pause"));
        PlayerRun = false;
        MMControl1->setUpdateInterval(0);
    }
}

void Form1::MMControl1_StatusUpdate() {
    const int32_t mode = MMControl1->mode();
    if (mode == MediaPlayer::mciModeStop || mode == MediaPlayer::mciModeReady) {
        // The file has played to its end: reopen it held at the start. UpdateInterval and
        // PlayerRun stay, so this repeats on every event until the operator or the chip moves on.
        ListenOn = false;
        PlayPoint->setValue(0);
        if (MusicFileName.isEmpty())
            return;
        MMControl1->setCommand(QStringLiteral("close"));
        MMControl1->setShareable(true);
        MMControl1->setFileName(MusicFileName);
        // A file gone or broken since it was opened is dropped, so the rewind does not retry it
        // every 200 ms.
        if (!stopAndOpen(*this))
            return;
        MMControl1->setCommand(QStringLiteral("Play"));
        MMControl1->setCommand(QStringLiteral("Stop"));
        return;
    }
    if (!PlayerRun)
        return;

    PlayPosit = player::addSaturated(PlayPosit, statusStepMs);
    if (RecOn) {
        RecTimeCnt = player::addSaturated(RecTimeCnt, statusStepMs);
        RecTimeText->setText(DipPlayPosit(RecTimeCnt));
    }
    if (const auto value = player::sliderValueFor(PlayPosit, PointScale, PointMode, PlayPoint->maximum(),
                                                  player::SliderRounding::Truncate))
        PlayPoint->setValue(*value);
    // PlayPoint_Change may have rewritten PlayPosit just now.
    PlayPointText->setText(DipPlayPosit(PlayPosit));
}
