// The audio source player in the window: opening a file, the trial listen, the status event,
// the rewind at the end of a file and a file that cannot be opened.
#include "formfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

const QString pickFile = QStringLiteral("请先选择音频文件");
const QString song = QStringLiteral("/bench/sources/song.mp3");

// A fixture with a file of lengthMs opened and nothing else done.
struct Opened : FormFixture {
    explicit Opened(int32_t lengthMs = 180000) {
        dialog->choice = song;
        player->lengthMs = lengthMs;
        form->open_file_Click();
        player->commands.clear();
        player->fromWrites.clear();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            player->tick();
    }
};

} // namespace

TEST(OpenFile, HoldsTheFileAtItsStartAndSetsUpTheTexts) {
    FormFixture f;
    Form1& w = *f.form;
    f.dialog->choice = song;
    f.player->lengthMs = 180000;
    w.PlayerRun = true; // opening leaves the chip side's state alone
    w.TryListenFlag = true;
    w.PlayPointText->setText(QStringLiteral("01:00:00"));
    w.open_file->click();

    EXPECT_EQ(f.dialog->shown, 1);
    EXPECT_EQ(f.dialog->Flags, 0x80000);
    EXPECT_EQ(f.dialog->DialogTitle, QStringLiteral("请选择音频文件"));
    EXPECT_EQ(f.dialog->Filter, QStringLiteral("音频文件|*.mp3|动画文件|*.wav|所有文件|*.*"));
    EXPECT_EQ(f.player->commands, (QStringList{"close", "Stop", "Open", "Play", "Pause"}));
    EXPECT_EQ(f.player->updateInterval(), 0);
    EXPECT_TRUE(f.player->shareable);
    EXPECT_EQ(f.player->fileName(), song);
    EXPECT_EQ(w.MusicFileName, song);
    EXPECT_EQ(w.DisFileNanmeText->text(), song);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w.MusicFileLenText->text(), QStringLiteral("03:00:00"));
    EXPECT_EQ(w.PointScale, 6);
    EXPECT_EQ(w.PointMode, 0);
    EXPECT_EQ(w.PlayPosit, 0);
    EXPECT_FALSE(w.TryListenFlag);
    EXPECT_FALSE(w.ListenOn);
    EXPECT_TRUE(w.PlayerRun);
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(OpenFile, CancelAsksForAFileAndIssuesNothing) {
    FormFixture f;
    f.form->TryListenFlag = true;
    f.form->open_file_Click();
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, pickFile);
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::None);
    EXPECT_TRUE(f.boxes->shown[0].caption.isEmpty());
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_FALSE(f.form->TryListenFlag);
    EXPECT_EQ(f.form->DisFileNanmeText->text(), QStringLiteral(".mp3"));
}

TEST(OpenFile, CancelWhileListeningKeepsPlayingButTheNextListenPlaysAgain) {
    Opened f;
    f.form->Try_Listen_Click();
    f.dialog->choice.clear();
    f.form->open_file_Click();
    EXPECT_EQ(f.player->commands, (QStringList{"Play"}));
    EXPECT_EQ(f.player->updateInterval(), 200);
    EXPECT_TRUE(f.form->PlayerRun);
    EXPECT_FALSE(f.form->ListenOn);
    f.ticks(2);
    // No longer a trial listen, so the slider's feedback cuts the count to multiples of 6.
    EXPECT_EQ(f.form->PlayPosit, 396);
    f.form->Try_Listen_Click();
    EXPECT_EQ(f.player->commands, (QStringList{"Play", "Play"}));
}

TEST(OpenFile, AFileThatCannotBeOpenedIsReportedAndNothingIsHeld) {
    Opened f; // a good file first: its texts must not stay on show
    f.form->Try_Listen_Click();
    f.ticks(5);
    f.player->commands.clear();
    f.player->failOpenWith = QStringLiteral("不是音频文件");
    f.dialog->choice = QStringLiteral("/bench/sources/notes.txt");
    f.form->open_file_Click();

    ASSERT_EQ(f.boxes->shown.size(), 1);
    const auto& box = f.boxes->shown[0];
    EXPECT_EQ(box.icon, MessageBox::Icon::Critical);
    EXPECT_EQ(box.caption, QStringLiteral("打开文件"));
    EXPECT_TRUE(box.text.contains(QStringLiteral("/bench/sources/notes.txt")));
    EXPECT_TRUE(box.text.contains(QStringLiteral("不是音频文件")));
    EXPECT_EQ(f.player->commands, (QStringList{"close", "Stop", "Open", "close"}));
    EXPECT_TRUE(f.player->fileName().isEmpty());
    EXPECT_TRUE(f.form->MusicFileName.isEmpty());
    EXPECT_EQ(f.form->DisFileNanmeText->text(), QStringLiteral(".mp3"));
    EXPECT_TRUE(f.form->MusicFileLenText->text().isEmpty());
    EXPECT_EQ(f.form->PlayPointText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(f.form->SetAddrText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(f.form->PlayPoint->value(), 0);
    EXPECT_EQ(f.form->PlayPosit, 0);
    EXPECT_EQ(f.player->updateInterval(), 0);
    EXPECT_FALSE(f.form->PlayerRun);
    EXPECT_FALSE(f.form->ListenOn);

    f.form->Try_Listen_Click();
    ASSERT_EQ(f.boxes->shown.size(), 2);
    EXPECT_EQ(f.boxes->shown[1].text, pickFile);
    f.ticks(3); // a late status event finds nothing to count or reopen
    EXPECT_EQ(f.form->PlayPosit, 0);
    EXPECT_EQ(f.player->commands, (QStringList{"close", "Stop", "Open", "close"}));
}

TEST(TryListen, BeforeAnyFileAsksForOneAndStillArmsTheRecordAddress) {
    FormFixture f;
    f.form->Try_Listen->click();
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, pickFile);
    EXPECT_TRUE(f.form->TryListenFlag);
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_FALSE(f.form->ListenOn);
}

TEST(TryListen, PlaysPausesAndResumesCountingFromTheSameCount) {
    Opened f;
    Form1& w = *f.form;
    w.Try_Listen_Click();
    EXPECT_EQ(f.player->commands, (QStringList{"Play"}));
    EXPECT_TRUE(w.ListenOn && w.PlayerRun && w.TryListenFlag);
    EXPECT_EQ(f.player->updateInterval(), 200);
    f.ticks(3);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:00:60"));
    EXPECT_EQ(w.PlayPoint->value(), 100);                         // 600 / 6
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("00:00:00")); // the slider's feedback is off

    w.Try_Listen_Click();
    EXPECT_EQ(f.player->commands, (QStringList{"Play", "Pause"}));
    EXPECT_FALSE(w.ListenOn || w.PlayerRun);
    EXPECT_EQ(f.player->updateInterval(), 0);
    f.ticks(2);
    EXPECT_EQ(w.PlayPosit, 600);

    w.Try_Listen_Click();
    f.ticks(1);
    EXPECT_EQ(w.PlayPosit, 800);
    EXPECT_EQ(f.player->commands, (QStringList{"Play", "Pause", "Play"}));
}

TEST(TryListen, IsInertWhileTheChipRecords) {
    Opened f;
    f.form->RecOn = true;
    f.form->Try_Listen_Click();
    EXPECT_TRUE(f.form->TryListenFlag);
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_FALSE(f.form->ListenOn);
    EXPECT_FALSE(f.form->PlayerRun);
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(StatusEvent, RecordingTimeAdvancesOnlyWhileTheChipRecords) {
    Opened f(30000); // one slider unit per millisecond: the feedback leaves the count alone
    Form1& w = *f.form;
    // As the REC reply leaves it: playing, counted, not a trial listen.
    w.RecOn = true;
    w.PlayerRun = true;
    w.RecTimeCnt = 0;
    f.player->setCommand(QStringLiteral("Play"));
    f.ticks(6);
    EXPECT_EQ(w.RecTimeCnt, 1200);
    EXPECT_EQ(w.RecTimeText->text(), QStringLiteral("00:01:20"));
    EXPECT_EQ(w.PlayPosit, 1200);
    w.RecOn = false;
    f.ticks(2);
    EXPECT_EQ(w.RecTimeCnt, 1200);
    EXPECT_EQ(w.RecTimeText->text(), QStringLiteral("00:01:20"));
    EXPECT_EQ(w.PlayPosit, 1600);
}

TEST(StatusEvent, CountersStopAtTheLargestLong) {
    Opened f;
    Form1& w = *f.form;
    w.RecOn = true;
    w.PlayerRun = true;
    f.player->setCommand(QStringLiteral("Play"));
    w.PlayPosit = 2147483547;
    w.RecTimeCnt = 2147483547;
    f.ticks(2);
    EXPECT_EQ(w.PlayPosit, 2147483647);
    EXPECT_EQ(w.RecTimeCnt, 2147483647);
    EXPECT_EQ(w.RecTimeText->text(), QStringLiteral("35791:23:64"));
}

TEST(StatusEvent, EndOfFileRewindsOnEveryEventUntilListenPlaysFromTheStart) {
    Opened f;
    Form1& w = *f.form;
    w.Try_Listen_Click();
    f.ticks(10);
    EXPECT_EQ(w.PlayPoint->value(), 333);
    f.player->modeValue = MediaPlayer::mciModeStop; // played to its end
    f.player->commands.clear();
    f.player->tick();
    EXPECT_FALSE(w.ListenOn);
    EXPECT_EQ(w.PlayPoint->value(), 0);
    EXPECT_EQ(w.PlayPosit, 0);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(f.player->fromWrites.last(), 0);
    EXPECT_EQ(f.player->commands, (QStringList{"close", "Stop", "Open", "Play", "Stop"}));
    EXPECT_EQ(f.player->fileName(), song);
    EXPECT_EQ(f.player->updateInterval(), 200);
    EXPECT_TRUE(w.PlayerRun);

    f.player->tick(); // still stopped: the rewind repeats
    EXPECT_EQ(f.player->commands.size(), 10);
    f.player->modeValue = MediaPlayer::mciModeReady;
    f.player->tick();
    EXPECT_EQ(f.player->commands.size(), 15);

    w.Try_Listen_Click();
    EXPECT_EQ(f.player->commands.last(), QStringLiteral("Play"));
    EXPECT_TRUE(w.ListenOn);
    f.player->tick();
    EXPECT_EQ(w.PlayPosit, 200);
}

TEST(StatusEvent, AFileGoneBeforeTheRewindIsReportedOnce) {
    Opened f;
    f.form->Try_Listen_Click();
    f.player->modeValue = MediaPlayer::mciModeStop;
    f.player->failOpenWith = QStringLiteral("文件不存在");
    f.ticks(4);
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(f.boxes->shown[0].text.contains(song));
    EXPECT_EQ(f.player->updateInterval(), 0);
    EXPECT_TRUE(f.player->fileName().isEmpty());
    EXPECT_EQ(f.player->commands.count(QStringLiteral("Open")), 1);
}

TEST(StatusEvent, ChipDrivenPlaybackWithoutAFileCountsWithoutAScale) {
    FormFixture f;
    Form1& w = *f.form;
    w.RecOn = true;
    w.PlayerRun = true;
    f.player->setCommand(QStringLiteral("Play"));
    for (int i = 0; i < 5; ++i)
        f.player->tick();
    EXPECT_EQ(w.PlayPosit, 1000);
    EXPECT_EQ(w.PlayPoint->value(), 0);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:01:00"));
}

TEST(PlayerNotice, EachTextIsShownOnceAsInformation) {
    FormFixture f;
    f.player->announce(QStringLiteral("没有声音输出设备"));
    f.player->announce(QStringLiteral("没有声音输出设备"));
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, QStringLiteral("没有声音输出设备"));
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Information);
    EXPECT_TRUE(f.boxes->shown[0].caption.isEmpty());
}
