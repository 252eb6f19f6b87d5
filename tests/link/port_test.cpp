// The port button: open, close, refusals.
#include "formfixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

TEST(PortControl, TwoClicksOpenThenCloseAndHideTheAnalogLamp) {
    FormFixture f;
    Form1& w = *f.form;
    w.Combo1->setEditText("3");
    w.Bottmp(0).setVisible(true);
    w.Command16_Click();
    EXPECT_TRUE(f.port->portOpen());
    EXPECT_EQ(f.port->openedPort, 3);
    EXPECT_EQ(w.Command16->text(), "关闭串口");
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(0x00, 0xFF, 0x00));
    EXPECT_FALSE(w.Bottmp(0).Visible());

    // The number is read only when opening.
    w.Combo1->setEditText("4");
    w.Bottmp(0).setVisible(true);
    w.Lift(3).setVisible(true);
    w.Command16_Click();
    EXPECT_FALSE(f.port->portOpen());
    EXPECT_EQ(w.Command16->text(), "打开串口");
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(Qt::white));
    EXPECT_FALSE(w.Bottmp(0).Visible());
    EXPECT_TRUE(w.Lift(3).Visible()) << "a lit chip lamp stays lit";
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(PortControl, AFailedOpeningIsReportedAndLeavesThePortClosed) {
    FormFixture f;
    Form1& w = *f.form;
    f.port->failOpenWith = "Permission denied";
    w.Command16_Click();
    EXPECT_FALSE(f.port->portOpen());
    EXPECT_EQ(w.Command16->text(), "打开串口");
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(Qt::white));
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(f.boxes->shown[0].text.contains("fake1"));
    EXPECT_TRUE(f.boxes->shown[0].text.contains("Permission denied"));
}

TEST(PortControl, APortNumberOutsideOneToSixteenIsRefused) {
    for (const char* text : {"0", "17", "abc", "", "-1", "3.5", "99999999999"}) {
        SCOPED_TRACE(text);
        FormFixture f;
        f.form->Combo1->setEditText(QString::fromUtf8(text));
        f.form->Command16_Click();
        EXPECT_FALSE(f.port->portOpen());
        EXPECT_EQ(f.port->openedPort, 0);
        ASSERT_EQ(f.boxes->shown.size(), 1);
        EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
    }
}

TEST(PortControl, ClosingMidFrameStopsTheTransmitter) {
    FormFixture f;
    Form1& w = *f.form;
    w.Command16_Click();
    w.SendBuf = {0x80, 0x01, 0x23, 0x04, 0x56};
    w.Isd_Comm2_Send(5);
    w.Timer1_Timer();
    w.Command16_Click();
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.SendPos, 0);
    w.Timer1_Timer();
    EXPECT_EQ(f.port->writes.size(), 1);
    EXPECT_EQ(f.port->writesWhileClosed, 0);
}
