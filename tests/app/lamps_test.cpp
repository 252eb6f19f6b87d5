// The chip lamps: CriDigClr, the array without element 2, and how a lit lamp looks.
#include "formfixture.h"

#include <gtest/gtest.h>

TEST(Lamps, CriDigClrHidesEveryChipLampButBottmp0AndThePortLamp) {
    FormFixture f;
    Form1& w = *f.form;
    std::vector<Shape*> chip;
    for (int i : {1, 3, 4})
        chip.push_back(&w.Bottmp(i));
    for (int i = 0; i <= 6; ++i)
        chip.push_back(&w.Lift(i));
    for (int i = 0; i <= 4; ++i)
        chip.push_back(&w.Right(i));
    for (Shape* lamp : chip)
        EXPECT_FALSE(lamp->Visible()) << "after start-up: " << lamp->objectName().toStdString();
    EXPECT_FALSE(w.Bottmp(0).Visible());

    for (Shape* lamp : chip)
        lamp->setVisible(true);
    w.Bottmp(0).setVisible(true);
    w.CriDigClr();
    for (Shape* lamp : chip)
        EXPECT_FALSE(lamp->Visible()) << lamp->objectName().toStdString();
    EXPECT_TRUE(w.Bottmp(0).Visible());
    EXPECT_TRUE(w.Seril_StDig->Visible());
    EXPECT_FALSE(w.Bottmp.contains(2));
    EXPECT_THROW(w.Bottmp(2), std::out_of_range);
}

TEST(Lamps, ALitLampIsAFilledCircleCentredInItsBox) {
    FormFixture f;
    Shape& lamp = f.form->Lift(2);
    lamp.setVisible(true);
    const QImage img = lamp.grab().toImage();
    ASSERT_EQ(img.size(), QSize(10, 17));
    EXPECT_EQ(QColor(img.pixel(5, 8)), QColor(0xFF, 0x00, 0x00));
    EXPECT_NE(QColor(img.pixel(5, 1)), QColor(0xFF, 0x00, 0x00));
    EXPECT_NE(QColor(img.pixel(5, 15)), QColor(0xFF, 0x00, 0x00));
}
