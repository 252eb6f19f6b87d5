// The volume step and the level display's animation.
#include "formfixture.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> visibleBoxes(Form1& w) {
    std::vector<int> shown;
    for (int i = 0; i <= 4; ++i)
        if (w.VolicDisPlay(i).Visible())
            shown.push_back(i);
    return shown;
}

} // namespace

TEST(Volume, StepsCycleAndColourTheBar) {
    FormFixture f;
    Form1& w = *f.form;
    const QColor red(0xFF, 0x00, 0x00), green(0x00, 0xFF, 0x00);
    const QColor unlit = w.palette().color(QPalette::Base);
    EXPECT_EQ(w.VolicDisPlay(4).fillColor(), red);
    std::vector<int> steps;
    for (int i = 0; i < 6; ++i) {
        w.VoilceVal_Click();
        steps.push_back(w.VolStep);
        if (i == 0) {
            EXPECT_EQ(w.VolicDisPlay(0).fillColor(), green);
            EXPECT_EQ(w.VolicDisPlay(1).fillColor(), unlit);
        }
    }
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3, 4, 0}));
    w.SoundDip(7);
    EXPECT_EQ(w.VolicDisPlay(0).fillColor(), unlit) << "a step out of range lights nothing";
}

TEST(LevelDisplay, ClimbsToTheStepThenVanishesAndStaysInItsBoxes) {
    FormFixture f;
    Form1& w = *f.form;
    // Start-up shows all five; the sixth tick is the first change: the whole bar vanishes.
    for (int t = 1; t <= 5; ++t)
        w.VoiclePtrTimer_Timer();
    EXPECT_EQ(visibleBoxes(w).size(), 5u);
    w.VoiclePtrTimer_Timer();
    EXPECT_TRUE(visibleBoxes(w).empty());

    w.VolStep = 2;
    for (int t = 0; t < 3; ++t)
        w.VoiclePtrTimer_Timer();
    EXPECT_EQ(visibleBoxes(w), (std::vector<int>{0, 1, 2}));
    w.VoiclePtrTimer_Timer();
    EXPECT_TRUE(visibleBoxes(w).empty());

    for (int n = 0; n < 200; ++n) {
        if (n % 7 == 3)
            w.VoilceVal_Click();
        w.VoiclePtrTimer_Timer();
        ASSERT_LE(w.VolPtr, 5);
    }
}
