// Play position and cue point in the window: the slider, the cue button and the slider's
// feedback while the chip drives the player.
#include "formfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

struct Opened : FormFixture {
    explicit Opened(int32_t lengthMs) {
        dialog->choice = QStringLiteral("/bench/sources/song.mp3");
        player->lengthMs = lengthMs;
        form->open_file_Click();
        player->commands.clear();
        player->fromWrites.clear();
    }
    // As the REC reply leaves the player: playing and counted, not a trial listen.
    void playForTheChip() {
        player->setCommand(QStringLiteral("Play"));
        form->PlayerRun = true;
        player->setUpdateInterval(200);
        player->commands.clear();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            player->tick();
    }
};

} // namespace

TEST(Slider, ThreeMinuteFileDraggedTo10905ThenCueKeepsIt) {
    Opened f(180000);
    Form1& w = *f.form;
    w.PlayPoint->setValue(10905);
    EXPECT_EQ(w.PlayPosit, 65430);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("01:05:43"));
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("01:05:43"));
    EXPECT_EQ(f.player->from, 65430);

    w.PlayerRun = true;
    w.SetMusicPoint->click();
    EXPECT_EQ(w.PlayPoint->value(), 10905);
    EXPECT_EQ(f.player->fromWrites, (QList<int32_t>{65430, 65430}));
    EXPECT_FALSE(w.PlayerRun);
    EXPECT_FALSE(w.ListenOn);
}

TEST(Cue, TypedPointWithScaleSevenStartsExactlyButShowsTheSliderPosition) {
    Opened f(210000);
    Form1& w = *f.form;
    ASSERT_EQ(w.PointScale, 7);
    w.SetAddrText->setText(QStringLiteral("01:05:44"));
    w.SetMusicPoint_Click();
    EXPECT_EQ(w.PlayPoint->value(), 9349);
    EXPECT_EQ(w.PlayPosit, 65443);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("01:05:44"));
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("01:05:44"));
    // The slider's change wrote its value first; the typed point has the last word.
    EXPECT_EQ(f.player->fromWrites, (QList<int32_t>{65443, 65440}));
}

TEST(Cue, BeyondTheSliderLeavesItButSetsTextsAndStart) {
    Opened f(180000);
    Form1& w = *f.form;
    w.PlayPoint->setValue(500);
    w.SetAddrText->setText(QStringLiteral("99999:99:99"));
    w.SetMusicPoint_Click();
    EXPECT_EQ(w.PlayPoint->value(), 500);
    EXPECT_EQ(f.player->from, 2147483647);
    EXPECT_EQ(w.PlayPosit, 2147483647);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("35791:23:64"));

    w.SetAddrText->setText(QStringLiteral("-00:10:00")); // before the start: the start
    w.SetMusicPoint_Click();
    EXPECT_EQ(f.player->from, 0);
    EXPECT_EQ(w.PlayPoint->value(), 0);
}

TEST(Cue, SliderAndCueAreIgnoredWhileListening) {
    Opened f(180000);
    Form1& w = *f.form;
    w.Try_Listen_Click();
    f.ticks(2);
    w.SetAddrText->setText(QStringLiteral("01:00:00"));
    w.SetMusicPoint_Click();
    w.PlayPoint->setValue(20000);
    EXPECT_TRUE(f.player->fromWrites.isEmpty());
    EXPECT_EQ(w.PlayPosit, 400);
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("01:00:00"));
    EXPECT_TRUE(w.ListenOn);
    EXPECT_TRUE(w.PlayerRun);
    f.ticks(1); // and the count goes on from where it was
    EXPECT_EQ(w.PlayPosit, 600);
}

TEST(Cue, BeforeAnyFileChangesNothing) {
    FormFixture f;
    Form1& w = *f.form;
    w.SetAddrText->setText(QStringLiteral("01:05:43"));
    w.PlayerRun = true;
    w.SetMusicPoint->click();
    EXPECT_TRUE(f.player->fromWrites.isEmpty());
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w.PlayPoint->value(), 0);
    EXPECT_EQ(w.PlayPosit, 0);
    EXPECT_TRUE(w.PlayerRun);
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(Cue, WhileTheChipDrivesThePlayerFreezesTheCount) {
    Opened f(30000);
    Form1& w = *f.form;
    f.playForTheChip();
    f.ticks(3);
    w.SetAddrText->setText(QStringLiteral("00:10:00"));
    w.SetMusicPoint_Click();
    EXPECT_FALSE(w.PlayerRun);
    EXPECT_TRUE(f.player->commands.isEmpty()); // the sound goes on
    f.ticks(3);
    EXPECT_EQ(w.PlayPosit, 10000);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:10:00"));
}

TEST(Feedback, ScaleSevenCutsTenStepsTo1960) {
    Opened f(210000);
    Form1& w = *f.form;
    f.playForTheChip();
    f.ticks(10);
    EXPECT_EQ(w.PlayPosit, 1960);
    EXPECT_EQ(w.PlayPoint->value(), 280);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:01:96"));
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("00:01:96"));
    EXPECT_EQ(f.player->from, 1960);
}

TEST(Feedback, ShortFileMovesTheSliderSixHundredUnitsPerStep) {
    Opened f(10000);
    Form1& w = *f.form;
    ASSERT_EQ(w.PointMode, 1);
    ASSERT_EQ(w.PointScale, 3);
    w.PlayPoint->setValue(15000);
    EXPECT_EQ(w.PlayPosit, 5000);
    f.playForTheChip();
    f.ticks(2);
    EXPECT_EQ(w.PlayPoint->value(), 16200);
    EXPECT_EQ(w.PlayPosit, 5400);
    EXPECT_EQ(w.SetAddrText->text(), QStringLiteral("00:05:40"));
}

TEST(Feedback, FortyFiveSecondFileParksTheSliderAtItsEndWhileTheTextCounts) {
    Opened f(45000);
    Form1& w = *f.form;
    w.Try_Listen_Click();
    f.ticks(150);
    EXPECT_EQ(w.PlayPoint->value(), 30000);
    f.ticks(50);
    EXPECT_EQ(w.PlayPoint->value(), 30000);
    EXPECT_EQ(w.PlayPosit, 40000);
    EXPECT_EQ(w.PlayPointText->text(), QStringLiteral("00:40:00"));
}

TEST(Feedback, ALengthOfZeroStillGivesAUsableScale) {
    Opened f(0);
    Form1& w = *f.form;
    EXPECT_EQ(w.PointMode, 1);
    EXPECT_EQ(w.PointScale, 255);
    EXPECT_EQ(w.MusicFileLenText->text(), QStringLiteral("00:00:00"));
    w.PlayPoint->setValue(30000);
    EXPECT_EQ(w.PlayPosit, 117);
    w.SetAddrText->setText(QStringLiteral("00:00:05"));
    w.SetMusicPoint_Click();
    EXPECT_EQ(w.PlayPoint->value(), 12750);
    EXPECT_EQ(f.player->from, 50);
}
