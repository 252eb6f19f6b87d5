// The audio source player in the window on the fake player, whose clock the test turns: file, trial
// listen, status event, the slider's scales, cue, and a file that ends or fails.
#include "formfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

using M = MediaPlayer;
const QString pickFile = QStringLiteral("请先选择音频文件");
const QString song = QStringLiteral("/bench/sources/song.mp3");
using Words = QStringList;

struct Player : testing::Test, FormFixture {
    Form1& w = *form;
    FakeMediaPlayer& p = *player;
    // Opens a file of lengthMs; forgets the words and start points it took.
    void open(int32_t lengthMs) {
        p.files[song] = lengthMs;
        dialog->choice = song;
        w.open_file_Click();
        p.commands.clear();
        p.fromWrites.clear();
    }
    void pass(int ms) { p.advance(ms); }
    void cue(const char* text) {
        w.SetAddrText->setText(text);
        w.SetMusicPoint_Click();
    }
    // The board's answer to the record button, through the port.
    void recordOnTheBoard() {
        if (!port->portOpen())
            w.Command16_Click();
        w.rec_Click();
        port->receive(QByteArray::fromHex("41"));
    }
    Words texts() const { return {w.PlayPointText->text(), w.SetAddrText->text()}; }
    Words fileTexts() const {
        return {p.fileName(), w.MusicFileName, w.DisFileNanmeText->text(), w.MusicFileLenText->text()};
    }
    std::pair<int32_t, int64_t> sound() const { return {p.mode(), p.positionMs()}; }
};

} // namespace

TEST_F(Player, OpenHoldsTheFileAtItsStartCancelKeepsItPlayingAndABadFileLeavesNothingHeld) {
    p.files[song] = 180000;
    dialog->choice = song;
    w.PlayerRun = w.TryListenFlag = true; // opening leaves the chip side's state alone
    w.PlayPointText->setText("01:00:00");
    w.open_file->click();
    EXPECT_EQ(std::pair(dialog->shown, dialog->Flags), std::pair(1, 0x80000));
    EXPECT_EQ((Words{dialog->DialogTitle, dialog->Filter}),
              (Words{"请选择音频文件", "音频文件|*.mp3|动画文件|*.wav|所有文件|*.*"}));
    EXPECT_EQ(p.commands, (Words{"close", "Stop", "Open", "Play", "Pause"}));
    EXPECT_EQ(sound(), std::pair(M::mciModePause, int64_t{0}));
    EXPECT_EQ(fileTexts() + texts(), (Words{song, song, song, "03:00:00", "00:00:00", "00:00:00"}));
    EXPECT_EQ(std::tuple(w.PointScale, w.PointMode, w.PlayPosit, p.updateInterval()), std::tuple(6, 0, 0, 0));
    EXPECT_TRUE(!w.TryListenFlag && !w.ListenOn && w.PlayerRun && p.shareable && boxes->shown.isEmpty());
    p.commands.clear(); // then a cancel while listening keeps the sound going
    w.Try_Listen_Click();
    dialog->choice.clear();
    w.open_file_Click();
    EXPECT_TRUE(p.commands == Words{"Play"} && p.updateInterval() == 200 && w.PlayerRun && !w.ListenOn);
    pass(400);
    EXPECT_EQ(w.PlayPosit, 396); // no longer a trial listen: the slider's feedback cuts to multiples of 6
    EXPECT_EQ(sound(), std::pair(M::mciModePlay, int64_t{400}));
    w.Try_Listen_Click();
    EXPECT_EQ(p.commands, (Words{"Play", "Play"}));
    p.commands.clear(); // the good file's texts must not stay on show after a bad one
    dialog->choice = QStringLiteral("/bench/sources/notes.txt");
    w.open_file_Click();
    ASSERT_EQ(boxes->shown.size(), 2); // the cancel asked for a file, the bad file is reported
    const auto& box = boxes->shown[1];
    EXPECT_TRUE(boxes->shown[0].text == pickFile && box.icon == MessageBox::Icon::Critical &&
                box.caption == "打开文件" && box.text.contains(dialog->choice) &&
                box.text.contains("文件不存在"));
    const Words words{"close", "Stop", "Open", "close"};
    EXPECT_EQ(p.commands, words);
    EXPECT_EQ(fileTexts() + texts(), (Words{"", "", ".mp3", "", "00:00:00", "00:00:00"}));
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), w.PlayPosit, p.updateInterval(), w.PlayerRun, w.ListenOn),
              std::tuple(0, 0, 0, false, false));
    EXPECT_EQ(sound(), std::pair(M::mciModeNotOpen, int64_t{0}));
    w.Try_Listen_Click();
    EXPECT_TRUE(boxes->shown.size() == 3 && boxes->shown[2].text == pickFile);
    for (int i = 0; i < 3; ++i) // late status events find nothing to count or reopen
        p.raiseStatus();
    EXPECT_TRUE(w.PlayPosit == 0 && p.commands == words);
}

TEST_F(Player, ListenPausesAndResumesWhileTheSliderAndCueWaitForItsEnd) {
    open(180000);
    w.RecOn = true;
    w.Try_Listen_Click();
    EXPECT_TRUE(w.TryListenFlag && !w.ListenOn && !w.PlayerRun && p.commands.isEmpty() &&
                boxes->shown.isEmpty());
    w.RecOn = false;
    w.Try_Listen_Click();
    EXPECT_TRUE(p.commands == Words{"Play"} && w.ListenOn && w.PlayerRun && p.updateInterval() == 200);
    pass(600); // the slider at 600 / 6, the cue text left alone while listening
    EXPECT_EQ(std::pair(w.PlayPoint->value(), texts()), std::pair(100, Words{"00:00:60", "00:00:00"}));
    cue("01:00:00");
    w.PlayPoint->setValue(20000);
    EXPECT_TRUE(p.fromWrites.isEmpty() && w.ListenOn && w.PlayerRun && w.PlayPosit == 600);
    w.Try_Listen_Click();
    EXPECT_TRUE(p.commands == (Words{"Play", "Pause"}) && !w.ListenOn && !w.PlayerRun &&
                p.updateInterval() == 0);
    pass(400); // paused: the count and the sound stand
    EXPECT_EQ(std::pair(w.PlayPosit, sound()), std::pair(600, std::pair(M::mciModePause, int64_t{600})));
    w.Try_Listen_Click();
    pass(200);
    EXPECT_TRUE(w.PlayPosit == 800 && p.commands == (Words{"Play", "Pause", "Play"}));
    EXPECT_EQ(p.positionMs(), 800);
    w.Try_Listen_Click();
    w.PlayPoint->setValue(10905); // the three-minute example
    EXPECT_EQ(std::pair(w.PlayPosit, p.fromWrites), std::pair(65430, QList<int32_t>{65430}));
    EXPECT_EQ(texts(), (Words{"01:05:43", "01:05:43"}));
    w.PlayerRun = true;
    w.SetMusicPoint->click();
    EXPECT_TRUE(w.PlayPoint->value() == 10905 && !w.PlayerRun && !w.ListenOn);
    EXPECT_EQ(p.fromWrites, (QList<int32_t>{65430, 65430}));
    cue("99999:99:99"); // beyond the slider: it stays, texts and start move
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), p.fromWrites.last(), w.PlayPosit),
              std::tuple(10905, INT32_MAX, INT32_MAX));
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("35791:23:64"));
    cue("00:10:00");
    EXPECT_EQ(std::pair(w.PlayPoint->value(), p.fromWrites.last()), std::pair(1667, 10000));
    w.Try_Listen_Click(); // the sound starts at the cue exactly
    EXPECT_EQ(sound(), std::pair(M::mciModePlay, int64_t{10000}));
    pass(2000);
    EXPECT_EQ(std::pair(w.PlayPoint->value(), p.positionMs()), std::pair(2000, int64_t{12000}));
}

TEST_F(Player, TenSecondFileMoves600UnitsPerEventAndIsRewoundAtItsEndUntilListenPlaysItAgain) {
    open(10000);
    EXPECT_EQ(std::tuple(w.PointScale, w.PointMode, w.MusicFileLenText->text()),
              std::tuple(3, 1, QString("00:10:00")));
    w.PlayPoint->setValue(15000); // the slider at 15000 means 5000 ms
    EXPECT_EQ(std::tuple(w.PlayPosit, p.fromWrites, texts()),
              std::tuple(5000, QList<int32_t>{5000}, Words{"00:05:00", "00:05:00"}));
    w.Try_Listen_Click();
    EXPECT_EQ(sound(), std::pair(M::mciModePlay, int64_t{5000}));
    pass(200);
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), w.PlayPosit, w.PlayPointText->text()),
              std::tuple(15600, 5200, QString("00:05:20")));
    pass(4600);
    EXPECT_EQ(std::pair(w.PlayPoint->value(), w.PlayPosit), std::pair(29400, 9800));
    p.commands.clear();
    pass(200); // the file ends at 10000 ms: the event finds it stopped and rewinds it
    EXPECT_EQ(std::tuple(w.ListenOn, w.PlayPoint->value(), w.PlayPosit, p.fromWrites.last(), texts()),
              std::tuple(false, 0, 0, 0, Words{"00:00:00", "00:00:00"}));
    EXPECT_EQ(p.commands, (Words{"close", "Stop", "Open", "Play", "Stop"}));
    EXPECT_EQ(sound(), std::pair(M::mciModeStop, int64_t{0}));
    EXPECT_TRUE(p.fileName() == song && p.updateInterval() == 200 && w.PlayerRun);
    pass(400); // still stopped: the rewind repeats on every event
    EXPECT_EQ(p.commands.size(), 15);
    w.Try_Listen_Click();
    pass(200);
    EXPECT_TRUE(p.commands.last() == "Play" && w.ListenOn && w.PlayPosit == 200 &&
                w.PlayPoint->value() == 600);
    EXPECT_EQ(p.positionMs(), 200);
    // Deleted from the disk while it plays: the rewind at its end cannot reopen it, and drops it.
    p.files.remove(song);
    p.commands.clear();
    pass(10600);
    ASSERT_EQ(boxes->shown.size(), 1);
    EXPECT_TRUE(boxes->shown[0].icon == MessageBox::Icon::Critical && boxes->shown[0].text.contains(song));
    EXPECT_TRUE(p.updateInterval() == 0 && p.fileName().isEmpty() && p.commands.count("Open") == 1);
}

TEST_F(Player, FortyFiveSecondFileStopsTheSliderAt30000WhileTheTextCountsOn) {
    open(45000);
    EXPECT_EQ(std::tuple(w.PointScale, w.PointMode), std::tuple(1, 0));
    w.Try_Listen_Click();
    pass(30000);
    EXPECT_EQ(std::pair(w.PlayPoint->value(), w.PlayPointText->text()),
              std::pair(30000, QString("00:30:00")));
    pass(200);
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), w.PlayPosit, w.PlayPointText->text()),
              std::tuple(30000, 30200, QString("00:30:20")));
    pass(14600);
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), w.PlayPosit, w.PlayPointText->text()),
              std::tuple(30000, 44800, QString("00:44:80")));
    pass(200);
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), w.PlayPosit, texts()),
              std::tuple(0, 0, Words{"00:00:00", "00:00:00"}));
    EXPECT_EQ(sound(), std::pair(M::mciModeStop, int64_t{0}));
}

TEST_F(Player, ScaleSevenFeedbackCutsTenStepsTo1960AndATypedCueStartsExactly) {
    open(210000);
    recordOnTheBoard(); // playing and counted, not a trial listen
    pass(2000);
    EXPECT_EQ(std::tuple(w.PlayPosit, w.PlayPoint->value(), p.fromWrites.last()),
              std::tuple(1960, 280, 1960));
    EXPECT_EQ(texts(), (Words{"00:01:96", "00:01:96"}));
    EXPECT_EQ(p.positionMs(), 2000); // the sound is not moved by the feedback
    p.fromWrites.clear();
    cue("01:05:44");
    EXPECT_EQ(std::pair(w.PlayPoint->value(), w.PlayPosit), std::pair(9349, 65443));
    EXPECT_EQ(texts(), (Words{"01:05:44", "01:05:44"}));
    EXPECT_EQ(p.fromWrites, (QList<int32_t>{65443, 65440})); // the slider's first, the typed one last
}

TEST_F(Player, AStartPointOnTheOldFileIsForgottenAndNoFileMeansNoCue) {
    open(180000);
    cue("00:03:00");
    EXPECT_EQ(p.fromWrites.last(), 3000);
    open(10000); // held at its start, as its texts say
    EXPECT_EQ(texts(), (Words{"00:00:00", "00:00:00"}));
    w.Try_Listen_Click();
    EXPECT_EQ(sound(), std::pair(M::mciModePlay, int64_t{0}));
    w.Try_Listen_Click();
    // So after the chip recorded from a cue and stopped: the slider's feedback wrote From meanwhile.
    cue("00:05:00");
    recordOnTheBoard();
    EXPECT_EQ(sound(), std::pair(M::mciModePlay, int64_t{5000}));
    pass(400);
    w.stop_Click();
    port->receive(QByteArray::fromHex("02"));
    EXPECT_EQ(p.command(), "Pause");
    open(180000);
    recordOnTheBoard();
    EXPECT_EQ(sound(), std::pair(M::mciModePlay, int64_t{0}));
    w.stop_Click();
    port->receive(QByteArray::fromHex("02"));

    // The file chosen next cannot be opened: nothing is held, the slider has no scale as at start-up,
    // and the cue button does nothing at all.
    cue("00:03:00");
    dialog->choice = QStringLiteral("/bench/sources/broken.mp3");
    w.open_file_Click();
    ASSERT_EQ(boxes->shown.size(), 1);
    EXPECT_EQ(std::tuple(w.PointScale, w.PointMode), std::tuple(0, 0));
    p.fromWrites.clear();
    cue("00:03:00");
    EXPECT_EQ(
        std::tuple(p.fromWrites.size(), texts(), w.PlayPosit, w.PlayPoint->value(), boxes->shown.size()),
        std::tuple(0, Words{"00:00:00", "00:03:00"}, 0, 0, 1));
    w.PlayPoint->setValue(15000);
    EXPECT_EQ(std::pair(w.PlayPosit, texts()), std::pair(0, Words{"00:00:00", "00:00:00"}));
    EXPECT_EQ(sound(), std::pair(M::mciModeNotOpen, int64_t{0}));
}

TEST_F(Player, WithoutAFileNothingIsHeldButChipDrivenCountsRunAndSaturate) {
    w.Try_Listen->click(); // asks for a file, still arms the record address
    EXPECT_TRUE(w.TryListenFlag);
    w.open_file_Click(); // cancelled
    EXPECT_TRUE(!w.TryListenFlag && w.DisFileNanmeText->text() == ".mp3" && boxes->shown.size() == 2);
    for (const auto& box : boxes->shown)
        EXPECT_TRUE(box.text == pickFile && box.icon == MessageBox::Icon::None && box.caption.isEmpty());
    w.PlayerRun = true;
    cue("01:05:43");
    EXPECT_TRUE(p.commands.isEmpty() && p.fromWrites.isEmpty() && w.PlayerRun && boxes->shown.size() == 2);
    EXPECT_EQ(texts(), (Words{"00:00:00", "01:05:43"}));
    recordOnTheBoard(); // with no file: counted without a scale
    pass(1200);
    w.RecOn = false;
    pass(400);
    EXPECT_EQ(std::tuple(w.RecTimeCnt, w.PlayPosit, w.PlayPoint->value()), std::tuple(1200, 1600, 0));
    EXPECT_EQ((Words{w.RecTimeText->text(), w.PlayPointText->text()}), (Words{"00:01:20", "00:01:60"}));
    EXPECT_EQ(sound(), std::pair(M::mciModeNotOpen, int64_t{0}));
    w.RecOn = true;
    w.PlayPosit = w.RecTimeCnt = INT32_MAX - 100;
    pass(400);
    EXPECT_EQ(std::tuple(w.RecTimeCnt, w.PlayPosit, w.RecTimeText->text()),
              std::tuple(INT32_MAX, INT32_MAX, QStringLiteral("35791:23:64")));
}
