// The volume step, the colours of the level display and its animation.
#include "formfixture.h"

#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QStringList colours(Form1& w) {
    QStringList names;
    for (int i = 0; i <= 4; ++i)
        names << w.VolicDisPlay(i).fillColor().name();
    return names;
}

QString visibleBoxes(Form1& w) {
    QString shown;
    for (int i = 0; i <= 4; ++i)
        if (w.VolicDisPlay(i).Visible())
            shown += QString::number(i);
    return shown;
}

} // namespace

TEST(Volume, StartsAtFourAndEachPressStepsAndRecoloursTheBar) {
    FormFixture f;
    Form1& w = *f.form;
    const QString g = "#00ff00", y = "#ffff00", m = "#ff00ff", b = "#0000ff", r = "#ff0000";
    const QString u = w.palette().color(QPalette::Base).name(); // the window's background
    EXPECT_EQ(w.VolStep, 4);
    EXPECT_EQ(colours(w), (QStringList{g, y, m, b, r}));
    const std::pair<int, QStringList> presses[] = {{0, {g, u, u, u, u}}, {1, {g, y, u, u, u}},
                                                   {2, {g, y, m, u, u}}, {3, {g, y, m, b, u}},
                                                   {4, {g, y, m, b, r}}, {0, {g, u, u, u, u}}};
    for (const auto& [step, bar] : presses) {
        w.VoilceVal->click();
        EXPECT_EQ(w.VolStep, step);
        EXPECT_EQ(colours(w), bar) << step;
    }
    w.SoundDip(7);
    EXPECT_EQ(colours(w), (QStringList{u, u, u, u, u})) << "a step out of range lights nothing";
    EXPECT_TRUE(w.VoiclePtrTimer->isActive());
    EXPECT_EQ(w.VoiclePtrTimer->interval(), 250);
}

TEST(LevelDisplay, ClimbsOneBoxPerTickToTheStepThenVanishes) {
    FormFixture f;
    Form1& w = *f.form;
    // Each entry: 't' a tick or 'p' a press of the volume button, then the boxes shown after it.
    // At step 4 start-up shows all five, so the sixth tick is the first change. Lowered to 0 mid-climb,
    // the next tick hides the bar, then one box blinks; raised to 1 mid-climb, the climb goes on.
    const char* const script[] = {"t01234", "t01234", "t01234", "t01234", "t01234", "t",
                                  "t0",     "t01",    "t012",   "p012",   "t",      "t0",
                                  "t",      "t0",     "p0",     "t01",    "t",      "t0"};
    for (size_t n = 0; n < std::size(script); ++n) {
        if (script[n][0] == 't')
            w.VoiclePtrTimer_Timer();
        else
            w.VoilceVal->click();
        EXPECT_EQ(visibleBoxes(w), QString::fromLatin1(script[n] + 1)) << "after entry " << n + 1;
    }
}
