// The volume step and the level display's animation.
#include "formfixture.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QColor lit[5] = {QColor(0x00, 0xFF, 0x00), QColor(0xFF, 0xFF, 0x00), QColor(0xFF, 0x00, 0xFF),
                       QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0x00, 0x00)};

std::vector<int> visibleBoxes(Form1& w) {
    std::vector<int> shown;
    for (int i = 0; i <= 4; ++i)
        if (w.VolicDisPlay(i).Visible())
            shown.push_back(i);
    return shown;
}

} // namespace

TEST(Volume, StartupShowsTopStepAndOnePressDropsToGreenOnly) {
    FormFixture f;
    Form1& w = *f.form;
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(w.VolicDisPlay(i).fillColor(), lit[i]);
    w.VoilceVal_Click();
    EXPECT_EQ(w.VolStep, 0);
    EXPECT_EQ(w.VolicDisPlay(0).fillColor(), lit[0]);
    const QColor unlit = w.palette().color(QPalette::Base);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(w.VolicDisPlay(i).fillColor(), unlit);
}

TEST(Volume, StepsCycleFourZeroOneTwoThreeFour) {
    FormFixture f;
    std::vector<int> steps;
    for (int i = 0; i < 6; ++i) {
        f.form->VoilceVal_Click();
        steps.push_back(f.form->VolStep);
    }
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3, 4, 0}));
}

TEST(Volume, SoundDipOutOfRangeLeavesAllUnlit) {
    FormFixture f;
    f.form->SoundDip(7);
    const QColor unlit = f.form->palette().color(QPalette::Base);
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(f.form->VolicDisPlay(i).fillColor(), unlit);
}

TEST(LevelDisplay, StepTwoClimbsThreeBoxesAndVanishesOnTheFourthTick) {
    FormFixture f;
    Form1& w = *f.form;
    w.VolStep = 2;
    for (int i = 0; i <= 4; ++i)
        w.VolicDisPlay(i).setVisible(false);
    w.VoiclePtrTimer_Timer();
    EXPECT_EQ(visibleBoxes(w), (std::vector<int>{0}));
    w.VoiclePtrTimer_Timer();
    w.VoiclePtrTimer_Timer();
    EXPECT_EQ(visibleBoxes(w), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(w.VolPtr, 3);
    w.VoiclePtrTimer_Timer();
    EXPECT_EQ(visibleBoxes(w), (std::vector<int>{}));
    EXPECT_EQ(w.VolPtr, 0);
}

TEST(LevelDisplay, TopStepCyclesEverySixTicksAndNeverLeavesItsBoxes) {
    FormFixture f;
    Form1& w = *f.form;
    // Start-up: five visible boxes; the first change is the sixth tick hiding all of them.
    for (int t = 1; t <= 5; ++t) {
        w.VoiclePtrTimer_Timer();
        EXPECT_EQ(visibleBoxes(w).size(), 5u) << "tick " << t;
    }
    w.VoiclePtrTimer_Timer();
    EXPECT_TRUE(visibleBoxes(w).empty());
    // Lowering the step while the bar stands above it restarts from element 0; VolPtr stays
    // within 0..5 whatever the order of presses and ticks.
    for (int n = 0; n < 200; ++n) {
        if (n % 7 == 3)
            w.VoilceVal_Click();
        w.VoiclePtrTimer_Timer();
        ASSERT_LE(w.VolPtr, 5);
        ASSERT_LE(w.VolStep, 4);
    }
}

TEST(LevelDisplay, TimerTicksEvery250ms) {
    FormFixture f;
    EXPECT_EQ(f.form->VoiclePtrTimer->interval(), 250);
    EXPECT_TRUE(f.form->VoiclePtrTimer->isActive());
}
