// The chip lamps: CriDigClr and the one-lamp invariant.
#include "formfixture.h"

#include <gtest/gtest.h>

namespace {

std::vector<Shape*> chipLamps(Form1& w) {
    std::vector<Shape*> lamps;
    for (int i : {1, 3, 4})
        lamps.push_back(&w.Bottmp(i));
    for (int i = 0; i <= 6; ++i)
        lamps.push_back(&w.Lift(i));
    for (int i = 0; i <= 4; ++i)
        lamps.push_back(&w.Right(i));
    return lamps;
}

} // namespace

TEST(Lamps, NoneVisibleAfterStartup) {
    FormFixture f;
    f.form->show();
    EXPECT_FALSE(f.form->Bottmp(0).Visible());
    for (Shape* lamp : chipLamps(*f.form))
        EXPECT_FALSE(lamp->Visible()) << lamp->objectName().toStdString();
    EXPECT_TRUE(f.form->Seril_StDig->Visible());
}

TEST(Lamps, BottmpHasNoElementTwo) {
    FormFixture f;
    EXPECT_FALSE(f.form->Bottmp.contains(2));
    EXPECT_EQ(f.form->Bottmp.items().size(), 4u);
    EXPECT_THROW(f.form->Bottmp(2), std::out_of_range);
    EXPECT_EQ(f.form->Lift.items().size(), 7u);
    EXPECT_EQ(f.form->Right.items().size(), 5u);
}

TEST(Lamps, CriDigClrHidesEveryChipLampButLeavesBottmp0AndThePortLamp) {
    FormFixture f;
    Form1& w = *f.form;
    for (Shape* lamp : chipLamps(w))
        lamp->setVisible(true);
    w.Bottmp(0).setVisible(true);
    w.Seril_StDig->setFillColor(QColor(0x00, 0xFF, 0x00));
    w.CriDigClr();
    for (Shape* lamp : chipLamps(w))
        EXPECT_FALSE(lamp->Visible()) << lamp->objectName().toStdString();
    EXPECT_TRUE(w.Bottmp(0).Visible());
    EXPECT_TRUE(w.Seril_StDig->Visible());
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(0x00, 0xFF, 0x00));
    // Hiding what is hidden changes nothing.
    w.CriDigClr();
    EXPECT_TRUE(w.Bottmp(0).Visible());
}

TEST(Lamps, ColoursAndShape) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.Bottmp(0).fillColor(), QColor(0xFF, 0x00, 0xFF));
    for (int i : {1, 3, 4})
        EXPECT_EQ(w.Bottmp(i).fillColor(), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(w.Lift(0).fillColor(), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(w.Lift(1).fillColor(), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(w.Lift(2).fillColor(), QColor(0xFF, 0x00, 0x00));
    for (int i = 3; i <= 6; ++i)
        EXPECT_EQ(w.Lift(i).fillColor(), QColor(0x00, 0x00, 0xFF));
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(w.Right(i).fillColor(), QColor(0x00, 0xC0, 0x00));
    for (Shape* lamp : chipLamps(w)) {
        EXPECT_EQ(lamp->kind(), Shape::Kind::Circle);
        EXPECT_EQ(lamp->size(), QSize(10, 17));
    }
    EXPECT_EQ(w.Seril_StDig->size(), QSize(17, 17));
}

TEST(Lamps, ALitLampIsDrawnAsAFilledCircleCentredInItsBox) {
    FormFixture f;
    Shape& lamp = f.form->Lift(2);
    lamp.setVisible(true);
    const QImage img = lamp.grab().toImage();
    ASSERT_EQ(img.size(), QSize(10, 17));
    EXPECT_EQ(QColor(img.pixel(5, 8)), QColor(0xFF, 0x00, 0x00));
    // Above and below the circle the box stays clear.
    EXPECT_NE(QColor(img.pixel(5, 1)), QColor(0xFF, 0x00, 0x00));
    EXPECT_NE(QColor(img.pixel(5, 15)), QColor(0xFF, 0x00, 0x00));
}
