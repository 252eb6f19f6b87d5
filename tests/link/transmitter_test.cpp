// The paced transmitter: hand-over, one byte per tick, replacement of a frame in transit.
#include "formfixture.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct OpenForm : FormFixture {
    OpenForm() { form->Command16_Click(); }
    QByteArray wire() const {
        QByteArray all;
        for (const QByteArray& w : port->writes)
            all += w;
        return all;
    }
};

} // namespace

TEST(Transmitter, PortClosedShowsOneMessageSendsNothingAndStillRewinds) {
    FormFixture f;
    Form1& w = *f.form;
    w.RinPos = 7;
    w.SendBuf = {0x09};
    w.Isd_Comm2_Send(1);
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, "串口没打开");
    EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Critical);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.SendPos, 0);
    EXPECT_EQ(w.RinPos, 0);
    EXPECT_EQ(w.SendCmd, 0x09);
    EXPECT_EQ(w.SendLen, 1);
    EXPECT_TRUE(f.port->writes.isEmpty());
}

TEST(Transmitter, OneByteFrameIsOneWriteThenTheTimerStops) {
    OpenForm f;
    Form1& w = *f.form;
    w.SendBuf = {0x06};
    w.Isd_Comm2_Send(1);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 50);
    EXPECT_TRUE(w.Timer1->isSingleShot() == false);
    w.Timer1_Timer();
    ASSERT_EQ(f.port->writes.size(), 1);
    EXPECT_EQ(f.port->writes[0], QByteArray("\x06", 1));
    EXPECT_EQ(f.port->outputDiscards, 1);
    EXPECT_EQ(f.port->inputMode, 1);
    EXPECT_TRUE(w.Timer1->isActive());
    w.Timer1_Timer();
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.SendPos, 0);
    EXPECT_EQ(f.port->writes.size(), 1);
}

TEST(Transmitter, EveryWriteIsOneRawByteInOrder) {
    OpenForm f;
    Form1& w = *f.form;
    // Bytes a line discipline would eat or translate go out untouched.
    w.SendBuf = {0x0A, 0x0D, 0x11, 0x13, 0xFF};
    w.Isd_Comm2_Send(5);
    for (int i = 0; i < 6; ++i)
        w.Timer1_Timer();
    EXPECT_EQ(f.wire(), QByteArray("\x0A\x0D\x11\x13\xFF", 5));
    for (const QByteArray& one : f.port->writes)
        EXPECT_EQ(one.size(), 1);
    EXPECT_EQ(f.port->outputDiscards, 5);
    EXPECT_FALSE(w.Timer1->isActive());
}

TEST(Transmitter, SecondHandOverMidFrameRestartsWithTheNewFrame) {
    OpenForm f;
    Form1& w = *f.form;
    w.SendBuf = {0x80, 0x01, 0x23, 0x04, 0x56};
    w.Isd_Comm2_Send(5);
    w.Timer1_Timer();
    w.SendBuf = {0x06};
    w.Isd_Comm2_Send(1);
    EXPECT_EQ(w.SendCmd, 0x06);
    w.Timer1_Timer();
    w.Timer1_Timer();
    EXPECT_EQ(f.wire(), QByteArray("\x80\x06", 2));
    EXPECT_FALSE(w.Timer1->isActive());
}

TEST(Transmitter, ZeroLengthSendsNothingButTakesTheCommandByte) {
    OpenForm f;
    Form1& w = *f.form;
    w.SendBuf = {0x43};
    w.Isd_Comm2_Send(0);
    EXPECT_EQ(w.SendCmd, 0x43);
    w.Timer1_Timer();
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_TRUE(f.port->writes.isEmpty());
}

TEST(Transmitter, ALengthBeyondTheBufferNeverReadsPastIt) {
    OpenForm f;
    Form1& w = *f.form;
    w.SendBuf = {0x01, 0x02};
    w.Isd_Comm2_Send(200);
    for (int i = 0; i < 5 && w.Timer1->isActive(); ++i)
        w.Timer1_Timer();
    EXPECT_EQ(f.wire(), QByteArray("\x01\x02", 2));
    EXPECT_FALSE(w.Timer1->isActive());
}

TEST(Transmitter, RealTicksPaceTheFrame) {
    OpenForm f;
    Form1& w = *f.form;
    w.SendBuf = {0x80, 0x00, 0x10, 0x01, 0xFF};
    w.Isd_Comm2_Send(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Timer1->isActive(); }, 3000));
    EXPECT_EQ(f.wire(), QByteArray("\x80\x00\x10\x01\xFF", 5));
    // Spacing is measured by bench/pacing; here only the order of arrival is checked.
    for (int i = 1; i < f.port->writeTimesMs.size(); ++i)
        EXPECT_GE(f.port->writeTimesMs[i], f.port->writeTimesMs[i - 1]);
}
