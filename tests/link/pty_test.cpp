// End to end over a real pseudo-terminal: the console's QtSerialPort on the slave, the board on the master.
#include "fakes.h"
#include "link/qtserialport.h"
#include "ptyboard.h"

#include "form/form1.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

// Form1 on the product's serial port with port 1 naming the pty's slave, the rest on fakes.
struct PtyConsole {
    PtyBoard board;
    QtSerialPort* port = nullptr;
    FakeMessageBox* boxes = new FakeMessageBox;
    std::unique_ptr<Form1> form;

    PtyConsole() {
        LinkSettings settings;
        settings.portDevices.insert(1, board.slavePath());
        auto serial = std::make_unique<QtSerialPort>(settings);
        port = serial.get();
        form = std::make_unique<Form1>(Form1::Platform{std::move(serial), std::make_unique<FakeMediaPlayer>(),
                                                       std::make_unique<FakeFileDialog>(),
                                                       std::unique_ptr<MessageBox>(boxes)});
        form->Combo1->setEditText("1");
        form->Command16_Click();
    }
    void send(std::vector<uint8_t> frame, uint8_t replyLength) { form->sendFrame(frame, replyLength); }
};

} // namespace

TEST(PtyLink, AFramePacedAndRawAReplyDecodedAndTheMasterClosedAsAnUnplug) {
    PtyConsole c;
    ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
    // Bytes a line discipline would translate or eat pass untouched, one per 50 ms tick at the
    // earliest: a loaded machine may deliver them late, never early.
    const qint64 handOverUs = PtyBoard::nowUs();
    c.send({0x80, 0x0A, 0x0D, 0x11, 0x13}, 5);
    ASSERT_TRUE(waitFor([&] { return c.board.received().size() >= 5 && !c.form->Timer1->isActive(); }));
    EXPECT_EQ(c.board.received(), QByteArray("\x80\x0A\x0D\x11\x13", 5));
    for (size_t i = 0; i < c.board.arrivalUs().size(); ++i)
        EXPECT_GE(c.board.arrivalUs()[i] - handOverUs, qint64(i + 1) * 50000 - 1000) << i;
    c.board.send(QByteArray("\x0D\x0A\x11\x13\xFF", 5));
    ASSERT_TRUE(waitFor([&] { return !c.boxes->shown.isEmpty(); }));
    EXPECT_EQ(c.boxes->shown[0].text, "0D 0A 11 13 FF ");

    c.send({0x80, 0x00, 0x10, 0x01, 0xFF}, 5);
    ASSERT_TRUE(waitFor([&] { return c.board.received().size() > 5; }));
    c.board.closeMaster();
    ASSERT_TRUE(waitFor([&] { return !c.port->portOpen(); }));
    QTest::qWait(200);
    EXPECT_EQ(c.form->Command16->text(), "打开串口");
    EXPECT_FALSE(c.form->Timer1->isActive());
    ASSERT_EQ(c.boxes->shown.size(), 2) << "the unplug is told once";
    EXPECT_TRUE(c.boxes->shown[1].text.contains(c.board.slavePath()));
}

TEST(PtyLink, BytesHeldBackDuringABoxAreCountedAfterIt) {
    PtyConsole c;
    ASSERT_TRUE(c.port->portOpen());
    c.send({0x09}, 3);
    c.boxes->onShow = [&](const FakeMessageBox::Shown&) {
        c.board.send(QByteArray("\x77", 1));
        QTest::qWait(50);
    };
    c.board.send(QByteArray("\x00\x00\xA0", 3));
    ASSERT_TRUE(waitFor([&] { return c.form->RinCnt == 1; }));
    EXPECT_EQ(c.boxes->shown.size(), 1);
    EXPECT_EQ(c.form->RinBuf[0], 0x77);
}
