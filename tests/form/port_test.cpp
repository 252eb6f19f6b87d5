// The port button and the paced transmitter: open, close, refusals, a frame replaced in transit,
// a device gone at a write.
#include "formfixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
struct OpenForm : FormFixture {
    explicit OpenForm(const char* number = "1") {
        form->Combo1->setEditText(number);
        form->Command16_Click();
    }
    void handOver(std::vector<uint8_t> frame, uint8_t length, int ticks) {
        form->SendBuf = std::move(frame);
        form->Isd_Comm2_Send(length);
        for (int i = 0; i < ticks && form->Timer1->isActive(); ++i)
            tick();
    }
};
} // namespace

TEST(PortControl, OpenThenCloseMidFrameStopsTheTransmitter) {
    OpenForm f("3");
    EXPECT_EQ(f.port->openedPort, 3);
    EXPECT_EQ(f.form->Command16->text(), "关闭串口");
    f.handOver({0x80, 0x01, 0x23, 0x04, 0x56}, 5, 1);
    f.form->Combo1->setEditText("x"); // read only when opening
    f.form->Command16_Click();
    EXPECT_FALSE(f.port->portOpen() || f.form->Timer1->isActive());
    EXPECT_EQ(f.form->Command16->text(), "打开串口");
    EXPECT_EQ(f.form->SendPos, 0);
    f.form->Timer1_Timer();
    EXPECT_EQ(f.port->writes.size(), 1);
    EXPECT_EQ(f.port->writesWhileClosed + f.boxes->shown.size(), 0);
}

TEST(PortControl, AFailedOpeningOrABadNumberIsReportedAndLeavesThePortClosed) {
    for (const QString text : {"fail", "0", "17", "abc", "", "-1", "3.5", "99999999999"}) {
        SCOPED_TRACE(text.toStdString());
        FormFixture f;
        f.port->failOpenWith = text == "fail" ? "Permission denied" : "";
        f.form->Combo1->setEditText(text == "fail" ? "1" : text);
        f.form->Command16_Click();
        EXPECT_FALSE(f.port->portOpen());
        ASSERT_EQ(f.boxes->shown.size(), 1);
        EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
        const QString& message = f.boxes->shown[0].text;
        EXPECT_EQ(message.contains("fake1") && message.contains("Permission denied"), text == "fail");
    }
}

TEST(Transmitter, PortClosedShowsOneMessageSendsNothingAndStillRewinds) {
    FormFixture f;
    f.form->RinPos = 7;
    f.form->SendBuf = {0x09};
    f.form->Isd_Comm2_Send(1);
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, "串口没打开");
    EXPECT_FALSE(f.form->Timer1->isActive());
    EXPECT_EQ(f.form->SendPos + f.form->RinPos, 0);
    EXPECT_EQ(f.form->SendCmd, 0x09);
    EXPECT_TRUE(f.port->writes.isEmpty());
}

TEST(Transmitter, ASecondHandOverZeroOrTooLongALengthNeverReadPastTheFrame) {
    OpenForm f;
    f.handOver({0x80, 0x01, 0x23, 0x04, 0x56}, 5, 1);
    f.handOver({0x06}, 1, 2);
    EXPECT_EQ(f.form->SendCmd, 0x06);
    f.handOver({0x43}, 0, 1);
    EXPECT_EQ(f.form->SendCmd, 0x43);
    f.handOver({0x01, 0x02}, 200, 4);
    EXPECT_EQ(f.port->writes.join(), QByteArray("\x80\x06\x01\x02"));
    EXPECT_FALSE(f.form->Timer1->isActive());
}

TEST(Transmitter, ATickThatComesEarlyWaitsOutThe50MsAfterTheLastByte) {
    OpenForm f;
    f.handOver({0x80, 0x01, 0x23}, 3, 1);
    // The timer catching up after a late tick: 30 ms after the byte, then 49, then 50.
    for (const auto& [passMs, written] : {std::pair{30, 1}, {19, 1}, {1, 2}}) {
        f.port->letTimePass(passMs);
        f.form->Timer1_Timer();
        EXPECT_EQ(f.port->writes.size(), written) << passMs;
    }
}

TEST(Unplug, ADeviceGoneAtAWriteLeavesTheLinkClosedAndTheTransmitterIdle) {
    OpenForm f;
    f.handOver({0x80, 0x01, 0x23, 0x04, 0x56}, 5, 1);
    f.port->loseOnWrite = QStringLiteral("No such device");
    f.tick();
    EXPECT_FALSE(f.port->portOpen());
    QCoreApplication::processEvents(); // the loss is told at the next turn of the event loop
    EXPECT_FALSE(f.form->Timer1->isActive());
    EXPECT_EQ(f.form->SendPos, 0);
    EXPECT_EQ(f.boxes->shown.size(), 1);
    f.form->Timer1_Timer();
    EXPECT_EQ(f.port->writes.size(), 1);
    EXPECT_EQ(f.port->writesWhileClosed, 0);
}

TEST(PortControl, Combo1sTooltipSaysWhichDeviceItsNumberOpensAndWhetherItIsThereNow) {
    FormFixture f;
    f.port->absentPorts = {4};
    f.form->Combo1->setEditText("3");
    EXPECT_EQ(f.form->Combo1->toolTip(), "串口号 3 打开 fake3\n该设备现在存在");
    f.form->Combo1->setEditText("4");
    EXPECT_EQ(f.form->Combo1->toolTip(), "串口号 4 打开 fake4\n该设备现在不存在");
    // Plugged in while the number stays chosen: the tooltip says so when it next shows.
    f.port->absentPorts.clear();
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), f.form->Combo1->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(f.form->Combo1, &hover);
    EXPECT_EQ(f.form->Combo1->toolTip(), "串口号 4 打开 fake4\n该设备现在存在");
}
