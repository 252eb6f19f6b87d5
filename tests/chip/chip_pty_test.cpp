// The chip buttons end to end: the window on the product's serial port, a pseudo-terminal's
// master playing the board. Checks the bytes on the wire and that they leave one per tick.
#include "fakes.h"
#include "link/qtserialport.h"
#include "ptyboard.h"

#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int waitMs = 5000;
constexpr qint64 tickUs = 50000;
// A precise timer keeps to the millisecond; the click time is taken before the timer starts.
constexpr qint64 timerSlackUs = 2000;

struct PtyConsole {
    PtyBoard board;
    QtSerialPort* port = nullptr;
    FakeMessageBox* boxes = nullptr;
    std::unique_ptr<Form1> form;

    PtyConsole() {
        LinkSettings settings;
        settings.portDevices.insert(1, board.slavePath());
        Form1::Platform platform;
        auto p = std::make_unique<QtSerialPort>(settings);
        auto b = std::make_unique<FakeMessageBox>();
        port = p.get();
        boxes = b.get();
        platform.serialPort = std::move(p);
        platform.mediaPlayer = std::make_unique<FakeMediaPlayer>();
        platform.fileDialog = std::make_unique<FakeFileDialog>();
        platform.messageBox = std::move(b);
        form = std::make_unique<Form1>(std::move(platform));
        form->Combo1->setEditText("1");
        form->Command16->click();
    }

    // Clicks and waits until the frame is out; returns the bytes that arrived.
    QByteArray clickAndCollect(QPushButton* button, qsizetype frameLength) {
        board.clearReceived();
        m_clickUs = PtyBoard::nowUs();
        button->click();
        const bool arrived = QTest::qWaitFor([&] { return board.received().size() >= frameLength; }, waitMs);
        const bool idle = QTest::qWaitFor([&] { return !form->Timer1->isActive(); }, waitMs);
        // Anything after the frame would show up here.
        QTest::qWait(60);
        EXPECT_TRUE(arrived && idle);
        return board.received();
    }

    // Byte k goes out at the (k + 1)-th tick of the timer the click starts, 50 ms apart: never
    // earlier, however late a loaded machine makes a tick. A second byte written in the same tick
    // would arrive before its slot.
    void expectPaced() const {
        const auto& at = board.arrivalUs();
        ASSERT_FALSE(at.empty());
        for (size_t k = 0; k < at.size(); ++k)
            EXPECT_GE(at[k] - m_clickUs, qint64(k + 1) * tickUs - timerSlackUs) << "byte " << k;
    }

private:
    qint64 m_clickUs = 0;
};

QByteArray bytes(std::initializer_list<uint8_t> list) {
    QByteArray out;
    for (uint8_t b : list)
        out += char(b);
    return out;
}

} // namespace

TEST(ChipOverPty, SingleByteOperations) {
    PtyConsole c;
    ASSERT_TRUE(c.board.isOpen());
    ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
    const std::pair<QPushButton*, uint8_t> buttons[] = {
        {c.form->devid_pu, 0x01}, {c.form->devid_rst, 0x03}, {c.form->play, 0x40}, {c.form->fwd, 0x48},
        {c.form->erase, 0x42},    {c.form->erase_all, 0x43}, {c.form->stop, 0x02},
    };
    for (const auto& [button, command] : buttons) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(c.clickAndCollect(button, 1), bytes({command}));
        c.expectPaced();
    }

    // A read: the board's four-byte answer lands in the play-address box.
    EXPECT_EQ(c.clickAndCollect(c.form->rd_play_addr, 1), bytes({0x06}));
    c.expectPaced();
    c.board.send(bytes({0x00, 0x00, 0x00, 0x2C}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c.form->Play_Text->text().isEmpty(); }, waitMs));
    EXPECT_EQ(c.form->Play_Text->text(), "00 2C ");
    EXPECT_TRUE(c.boxes->shown.isEmpty());
}

TEST(ChipOverPty, AddressCommand) {
    PtyConsole c;
    ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
    c.form->SetEraseText->setText("0a ff");
    c.form->SetEraseText1->setText("1b 2c");
    EXPECT_EQ(c.clickAndCollect(c.form->SetEraseAddrComm, 5), bytes({0x82, 0x0A, 0xFF, 0x1B, 0x2C}));
    c.expectPaced();

    // A refused entry puts nothing on the line.
    c.form->St_Play_Text->setText("12 3");
    c.form->St_Play_Text1->setText("00 00");
    c.board.clearReceived();
    c.form->set_play_addr->click();
    QTest::qWait(150);
    EXPECT_TRUE(c.board.received().isEmpty());
    ASSERT_EQ(c.boxes->shown.size(), 1);
    EXPECT_EQ(c.boxes->shown[0].text, "数据格式非法");
}

TEST(ChipOverPty, AnalogPath) {
    PtyConsole c;
    ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
    c.form->sound_in->setCurrentText("Mic");
    c.form->SoundMon->setChecked(true);
    c.form->SPKon->setChecked(true);
    c.form->VoilceVal->click(); // step 4 -> 0
    c.form->VoilceVal->click(); // -> 1
    EXPECT_EQ(c.clickAndCollect(c.form->si_ok, 3), bytes({0x65, 0x0C, 0x4B}));
    c.expectPaced();
}
