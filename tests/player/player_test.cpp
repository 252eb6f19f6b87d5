// The audio source player in the window on the fake player: file, trial listen, status event, slider, cue.
#include "formfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

const QString pickFile = QStringLiteral("请先选择音频文件");
const QString song = QStringLiteral("/bench/sources/song.mp3");
using Words = QStringList;

struct Player : testing::Test, FormFixture {
    Form1& w = *form;
    FakeMediaPlayer& p = *player;
    void open(int32_t lengthMs) { // a file of lengthMs; forgets the words and start points it took
        dialog->choice = song;
        p.lengthMs = lengthMs;
        w.open_file_Click();
        p.commands.clear();
        p.fromWrites.clear();
    }
    void ticks(int n) {
        while (n-- > 0)
            p.tick();
    }
    void cue(const char* text) {
        w.SetAddrText->setText(text);
        w.SetMusicPoint_Click();
    }
    Words texts() const { return {w.PlayPointText->text(), w.SetAddrText->text()}; }
    Words fileTexts() const {
        return {p.fileName(), w.MusicFileName, w.DisFileNanmeText->text(), w.MusicFileLenText->text()};
    }
};

} // namespace

TEST_F(Player, OpenHoldsTheFileAtItsStartCancelKeepsItPlayingAndABadFileLeavesNothingHeld) {
    p.lengthMs = 180000;
    dialog->choice = song;
    w.PlayerRun = w.TryListenFlag = true; // opening leaves the chip side's state alone
    w.PlayPointText->setText("01:00:00");
    w.open_file->click();
    EXPECT_EQ(std::pair(dialog->shown, dialog->Flags), std::pair(1, 0x80000));
    EXPECT_EQ((Words{dialog->DialogTitle, dialog->Filter}),
              (Words{"请选择音频文件", "音频文件|*.mp3|动画文件|*.wav|所有文件|*.*"}));
    EXPECT_EQ(p.commands, (Words{"close", "Stop", "Open", "Play", "Pause"}));
    EXPECT_EQ(fileTexts() + texts(), (Words{song, song, song, "03:00:00", "00:00:00", "00:00:00"}));
    EXPECT_EQ(std::tuple(w.PointScale, w.PointMode, w.PlayPosit, p.updateInterval()), std::tuple(6, 0, 0, 0));
    EXPECT_TRUE(!w.TryListenFlag && !w.ListenOn && w.PlayerRun && p.shareable && boxes->shown.isEmpty());
    p.commands.clear(); // then a cancel while listening keeps the sound going
    w.Try_Listen_Click();
    dialog->choice.clear();
    w.open_file_Click();
    EXPECT_TRUE(p.commands == Words{"Play"} && p.updateInterval() == 200 && w.PlayerRun && !w.ListenOn);
    ticks(2);
    EXPECT_EQ(w.PlayPosit, 396); // no longer a trial listen: the slider's feedback cuts to multiples of 6
    w.Try_Listen_Click();
    EXPECT_EQ(p.commands, (Words{"Play", "Play"}));
    p.commands.clear(); // the good file's texts must not stay on show after a bad one
    p.failOpenWith = QStringLiteral("不是音频文件");
    dialog->choice = QStringLiteral("/bench/sources/notes.txt");
    w.open_file_Click();
    ASSERT_EQ(boxes->shown.size(), 2); // the cancel asked for a file, the bad file is reported
    const auto& box = boxes->shown[1];
    EXPECT_TRUE(boxes->shown[0].text == pickFile && box.icon == MessageBox::Icon::Critical &&
                box.caption == "打开文件" && box.text.contains(dialog->choice) &&
                box.text.contains(p.failOpenWith));
    const Words words{"close", "Stop", "Open", "close"};
    EXPECT_EQ(p.commands, words);
    EXPECT_EQ(fileTexts() + texts(), (Words{"", "", ".mp3", "", "00:00:00", "00:00:00"}));
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), w.PlayPosit, p.updateInterval(), w.PlayerRun, w.ListenOn),
              std::tuple(0, 0, 0, false, false));
    w.Try_Listen_Click();
    EXPECT_TRUE(boxes->shown.size() == 3 && boxes->shown[2].text == pickFile);
    ticks(3); // a late status event finds nothing to count or reopen
    EXPECT_TRUE(w.PlayPosit == 0 && p.commands == words);
}

TEST_F(Player, ListenPausesResumesRewindsAtTheEndAndTheSliderAndCueSetTheStart) {
    open(180000);
    w.RecOn = true;
    w.Try_Listen_Click();
    EXPECT_TRUE(w.TryListenFlag && !w.ListenOn && !w.PlayerRun && p.commands.isEmpty() &&
                boxes->shown.isEmpty());
    w.RecOn = false;
    w.Try_Listen_Click();
    EXPECT_TRUE(p.commands == Words{"Play"} && w.ListenOn && w.PlayerRun && p.updateInterval() == 200);
    ticks(3); // 600 ms: the slider at 600 / 6, the cue text left alone while listening
    EXPECT_EQ(std::pair(w.PlayPoint->value(), texts()), std::pair(100, Words{"00:00:60", "00:00:00"}));
    cue("01:00:00");
    w.PlayPoint->setValue(20000);
    EXPECT_TRUE(p.fromWrites.isEmpty() && w.ListenOn && w.PlayerRun && w.PlayPosit == 600);
    w.Try_Listen_Click();
    EXPECT_TRUE(p.commands == (Words{"Play", "Pause"}) && !w.ListenOn && !w.PlayerRun &&
                p.updateInterval() == 0);
    ticks(2); // paused: the count stands
    w.Try_Listen_Click();
    ticks(1);
    EXPECT_TRUE(w.PlayPosit == 800 && p.commands == (Words{"Play", "Pause", "Play"}));
    w.Try_Listen_Click();
    w.PlayPoint->setValue(10905); // the three-minute example
    EXPECT_EQ(std::pair(w.PlayPosit, p.from), std::pair(65430, 65430));
    EXPECT_EQ(texts(), (Words{"01:05:43", "01:05:43"}));
    w.PlayerRun = true;
    w.SetMusicPoint->click();
    EXPECT_TRUE(w.PlayPoint->value() == 10905 && !w.PlayerRun && !w.ListenOn);
    EXPECT_EQ(p.fromWrites, (QList<int32_t>{65430, 65430}));
    cue("99999:99:99"); // beyond the slider: it stays, texts and start move
    EXPECT_EQ(std::tuple(w.PlayPoint->value(), p.from, w.PlayPosit), std::tuple(10905, INT32_MAX, INT32_MAX));
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("35791:23:64"));
    cue("-00:10:00");
    EXPECT_EQ(std::pair(w.PlayPoint->value(), p.from), std::pair(0, 0));
    w.Try_Listen_Click();
    ticks(10);
    EXPECT_EQ(w.PlayPoint->value(), 333);
    p.modeValue = MediaPlayer::mciModeStop; // played to its end
    p.commands.clear();
    ticks(1);
    EXPECT_EQ(std::tuple(w.ListenOn, w.PlayPoint->value(), w.PlayPosit, p.fromWrites.last(), texts()),
              std::tuple(false, 0, 0, 0, Words{"00:00:00", "00:00:00"}));
    EXPECT_EQ(p.commands, (Words{"close", "Stop", "Open", "Play", "Stop"}));
    EXPECT_TRUE(p.fileName() == song && p.updateInterval() == 200 && w.PlayerRun);
    ticks(1); // still stopped: the rewind repeats
    EXPECT_EQ(p.commands.size(), 10);
    p.modeValue = MediaPlayer::mciModeReady;
    ticks(1);
    EXPECT_EQ(p.commands.size(), 15);
    w.Try_Listen_Click();
    ticks(1);
    EXPECT_TRUE(p.commands.last() == "Play" && w.ListenOn && w.PlayPosit == 200);
    p.modeValue = MediaPlayer::mciModeStop;
    p.failOpenWith = QStringLiteral("文件不存在");
    p.commands.clear();
    ticks(4);
    ASSERT_EQ(boxes->shown.size(), 1);
    EXPECT_TRUE(boxes->shown[0].icon == MessageBox::Icon::Critical && boxes->shown[0].text.contains(song));
    EXPECT_TRUE(p.updateInterval() == 0 && p.fileName().isEmpty() && p.commands.count("Open") == 1);
}

TEST_F(Player, ScaleSevenFeedbackCutsTenStepsTo1960AndATypedCueStartsExactly) {
    open(210000);
    p.setCommand("Play"); // as the REC reply leaves it: playing and counted, not a trial listen
    w.PlayerRun = true;
    ticks(10);
    EXPECT_EQ(std::tuple(w.PlayPosit, w.PlayPoint->value(), p.from), std::tuple(1960, 280, 1960));
    EXPECT_EQ(texts(), (Words{"00:01:96", "00:01:96"}));
    p.fromWrites.clear();
    cue("01:05:44");
    EXPECT_EQ(std::pair(w.PlayPoint->value(), w.PlayPosit), std::pair(9349, 65443));
    EXPECT_EQ(texts(), (Words{"01:05:44", "01:05:44"}));
    EXPECT_EQ(p.fromWrites, (QList<int32_t>{65443, 65440})); // the slider's first, the typed one last
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
    w.RecOn = true; // as the REC reply leaves it, with no file: counted without a scale
    p.setCommand("Play");
    ticks(6);
    w.RecOn = false;
    ticks(2);
    EXPECT_EQ(std::tuple(w.RecTimeCnt, w.PlayPosit, w.PlayPoint->value()), std::tuple(1200, 1600, 0));
    EXPECT_EQ((Words{w.RecTimeText->text(), w.PlayPointText->text()}), (Words{"00:01:20", "00:01:60"}));
    w.RecOn = true;
    w.PlayPosit = w.RecTimeCnt = INT32_MAX - 100;
    ticks(2);
    EXPECT_EQ(std::tuple(w.RecTimeCnt, w.PlayPosit, w.RecTimeText->text()),
              std::tuple(INT32_MAX, INT32_MAX, QStringLiteral("35791:23:64")));
}
