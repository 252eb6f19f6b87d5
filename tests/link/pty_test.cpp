// End to end over a real pseudo-terminal: the console's QtSerialPort opens the slave, the test
// plays the board on the master.
#include "fakes.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "ptyboard.h"

#include "app/form1.h"

#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int waitMs = 5000;

// Form1 on the product's serial port, with port 1 naming the pty's slave; the other controls
// are fakes.
struct PtyConsole {
    PtyBoard board;
    QtSerialPort* port = nullptr;
    FakeMediaPlayer* player = nullptr;
    FakeMessageBox* boxes = nullptr;
    std::unique_ptr<Form1> form;

    PtyConsole() {
        LinkSettings settings;
        settings.portDevices.insert(1, board.slavePath());
        Form1::Platform platform;
        auto p = std::make_unique<QtSerialPort>(settings);
        auto m = std::make_unique<FakeMediaPlayer>();
        auto b = std::make_unique<FakeMessageBox>();
        port = p.get();
        player = m.get();
        boxes = b.get();
        platform.serialPort = std::move(p);
        platform.mediaPlayer = std::move(m);
        platform.fileDialog = std::make_unique<FakeFileDialog>();
        platform.messageBox = std::move(b);
        form = std::make_unique<Form1>(std::move(platform));
    }
    void open() {
        form->Combo1->setEditText("1");
        form->Command16_Click();
    }
    void send(std::vector<uint8_t> frame, uint8_t replyLength) {
        form->RinCnt = 0;
        form->RinNeedCnt = replyLength;
        form->SendBuf = std::move(frame);
        form->Isd_Comm2_Send(uint8_t(form->SendBuf.size()));
    }
    bool waitForBoard(qsizetype count) {
        return QTest::qWaitFor([&] { return board.received().size() >= count; }, waitMs);
    }
};

} // namespace

TEST(PtyLink, AFrameArrivesPacedAndRawAndTheSplitReplyIsDecoded) {
    PtyConsole c;
    ASSERT_TRUE(c.board.isOpen());
    c.open();
    ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
    EXPECT_EQ(c.form->Command16->text(), "关闭串口");
    EXPECT_EQ(c.form->Combo1->toolTip(), c.board.slavePath());

    // Bytes a terminal's line discipline would translate or eat pass untouched.
    c.send({0x80, 0x0A, 0x0D, 0x11, 0x13}, 5);
    ASSERT_TRUE(c.waitForBoard(5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !c.form->Timer1->isActive(); }, waitMs));
    // Their spacing is bench_pacing's to measure; a loaded machine may deliver two at once.
    EXPECT_EQ(c.board.received(), QByteArray("\x80\x0A\x0D\x11\x13", 5));
    c.board.send(QByteArray("\x0D\x0A\x11\x13\xFF", 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !c.boxes->shown.isEmpty(); }, waitMs));
    EXPECT_EQ(c.boxes->shown[0].text, "0D 0A 11 13 FF ");

    c.board.clearReceived();
    c.send({0x06}, 4);
    ASSERT_TRUE(c.waitForBoard(1));
    EXPECT_EQ(c.board.received(), QByteArray("\x06", 1));
    c.board.send(QByteArray("\x12", 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.form->RinCnt == 1; }, waitMs));
    EXPECT_EQ(c.form->Play_Text->text(), "");
    c.board.send(QByteArray("\x34\x00\x2C", 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.form->Play_Text->text() == "00 2C "; }, waitMs));
    EXPECT_EQ(c.form->RinCnt, 0);
}

TEST(PtyLink, BytesHeldBackDuringABoxAreCountedAfterIt) {
    PtyConsole c;
    c.open();
    ASSERT_TRUE(c.port->portOpen());
    c.send({0x09}, 3);
    ASSERT_TRUE(c.waitForBoard(1));
    // While the model's box is up, the board already sends the first byte of something else.
    c.boxes->onShow = [&](const FakeMessageBox::Shown&) {
        c.board.send(QByteArray("\x77", 1));
        QTest::qWait(50);
    };
    c.board.send(QByteArray("\x00\x00\xA0", 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.form->RinCnt == 1; }, waitMs));
    ASSERT_EQ(c.boxes->shown.size(), 1);
    EXPECT_EQ(c.boxes->shown[0].text, "ISD1760");
    EXPECT_EQ(c.form->RinBuf[0], 0x77);
}

TEST(PtyLink, ClosingTheMasterIsAnUnplugReportedOnce) {
    PtyConsole c;
    c.open();
    ASSERT_TRUE(c.port->portOpen());
    c.send({0x80, 0x00, 0x10, 0x01, 0xFF}, 5);
    ASSERT_TRUE(c.waitForBoard(1));
    c.board.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !c.port->portOpen(); }, waitMs));
    QTest::qWait(200);
    EXPECT_EQ(c.form->Command16->text(), "打开串口");
    EXPECT_EQ(c.form->Seril_StDig->fillColor(), QColor(Qt::white));
    EXPECT_FALSE(c.form->Timer1->isActive());
    ASSERT_EQ(c.boxes->shown.size(), 1);
    EXPECT_EQ(c.boxes->shown[0].caption, "串口状态");
    EXPECT_TRUE(c.boxes->shown[0].text.contains(c.board.slavePath()));
}

TEST(PtyLink, OpeningFailuresNameTheDeviceAndTheReason) {
    PtyConsole c;
    // The same pty opened twice: the second opening finds it locked.
    LinkSettings settings;
    settings.portDevices.insert(1, c.board.slavePath());
    settings.portDevices.insert(2, QStringLiteral("/dev/quillory-no-such-port"));
    QtSerialPort first(settings);
    first.setCommPort(1);
    ASSERT_TRUE(first.setPortOpen(true)) << first.errorString().toStdString();
    c.open();
    EXPECT_FALSE(c.port->portOpen());
    ASSERT_EQ(c.boxes->shown.size(), 1);
    EXPECT_TRUE(c.boxes->shown[0].text.contains(c.board.slavePath()));
    EXPECT_EQ(c.form->Command16->text(), "打开串口");

    QtSerialPort missing(settings);
    missing.setCommPort(2);
    EXPECT_FALSE(missing.setPortOpen(true));
    EXPECT_FALSE(missing.errorString().isEmpty());
    EXPECT_FALSE(missing.portOpen());
}

TEST(PtyLink, TheTraceHoldsSentBytesReceivedChunksAndReplies) {
    PtyConsole c;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    LinkTrace trace(&out);
    c.port->setTrace(&trace);
    c.open();
    ASSERT_TRUE(c.port->portOpen());
    c.send({0x08}, 4);
    ASSERT_TRUE(c.waitForBoard(1));
    c.board.send(QByteArray("\x01\x02\x03\x04", 4));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.form->Rec_Text->text() == "03 04 "; }, waitMs));
    c.form->Command16_Click();
    const QString text = QString::fromUtf8(out.data());
    EXPECT_TRUE(text.contains(" tx 08\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(" rx 4: 01 02 03 04\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(" reply 08 RD_REC_PTR Rec_Text \"03 04 \"\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(" port opened ")) << text.toStdString();
    EXPECT_TRUE(text.contains(" port closed ")) << text.toStdString();
}
