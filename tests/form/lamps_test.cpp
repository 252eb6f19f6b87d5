// The lamps: each chip lamp's colour, CriDigClr, and the port lamp with the port button's caption.
#include "formfixture.h"

#include <QPushButton>

#include <gtest/gtest.h>

TEST(Lamps, EachChipLampHasItsColourAndCriDigClrHidesAllButBottmp0) {
    FormFixture f;
    Form1& w = *f.form;
    const std::tuple<ShapeArray Form1::*, int, const char*> lamps[] = {
        {&Form1::Bottmp, 0, "#ff00ff"}, {&Form1::Bottmp, 1, "#ffff00"}, {&Form1::Bottmp, 3, "#ffff00"},
        {&Form1::Bottmp, 4, "#ffff00"}, {&Form1::Lift, 0, "#00ff00"},   {&Form1::Lift, 1, "#000000"},
        {&Form1::Lift, 2, "#ff0000"},   {&Form1::Lift, 3, "#0000ff"},   {&Form1::Lift, 4, "#0000ff"},
        {&Form1::Lift, 5, "#0000ff"},   {&Form1::Lift, 6, "#0000ff"},   {&Form1::Right, 0, "#00c000"},
        {&Form1::Right, 1, "#00c000"},  {&Form1::Right, 2, "#00c000"},  {&Form1::Right, 3, "#00c000"},
        {&Form1::Right, 4, "#00c000"},
    };
    for (const auto& [array, index, colour] : lamps) {
        Shape& lamp = (w.*array)(index);
        SCOPED_TRACE(lamp.objectName().toStdString());
        EXPECT_EQ(lamp.fillColor().name(), colour);
        EXPECT_FALSE(lamp.Visible()) << "after start-up";
        lamp.setVisible(true);
    }
    w.CriDigClr();
    for (const auto& [array, index, colour] : lamps)
        EXPECT_EQ((w.*array)(index).Visible(), array == &Form1::Bottmp && index == 0) << colour;
    EXPECT_FALSE(w.Bottmp.contains(2));
}

TEST(PortLamp, WhiteWhileClosedGreenWhileOpenAndRefusalsShowTheCriticalPortBox) {
    FormFixture f;
    Form1& w = *f.form;
    const auto state = [&] {
        return std::tuple(f.port->portOpen(), w.Command16->text(), w.Seril_StDig->fillColor().name(),
                          w.Seril_StDig->Visible());
    };
    const auto closed = std::tuple(false, QString("打开串口"), QString("#ffffff"), true);
    EXPECT_EQ(state(), closed);
    w.Command16->click();
    EXPECT_EQ(state(), std::tuple(true, QString("关闭串口"), QString("#00ff00"), true));
    w.Command16->click();
    EXPECT_EQ(state(), closed);
    f.port->failOpenWith = QStringLiteral("Permission denied");
    w.Command16->click();
    EXPECT_EQ(state(), closed);
    // A chip button on the closed port lights its lamp, then the transmitter refuses.
    w.play->click();
    EXPECT_TRUE(w.Lift(0).Visible());
    ASSERT_EQ(f.boxes->shown.size(), 2);
    for (const auto& box : f.boxes->shown) {
        EXPECT_EQ(box.caption, "串口状态");
        EXPECT_EQ(box.icon, MessageBox::Icon::Critical);
    }
    EXPECT_EQ(f.boxes->shown[1].text, "串口没打开");
}
