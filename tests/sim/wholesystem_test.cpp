// The console as shipped (Form1 on the QSerialPort link) against the simulated board over a
// pseudo-terminal, offscreen; only the player, the file dialog and the message boxes are fakes.
#include "boardhost.h"
#include "fakes.h"

#include "app/form1.h"
#include "link/qtserialport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

// Every wait is bounded: a board that never answers fails the test instead of hanging it.
constexpr int replyWaitMs = 3000;

struct WholeSystem {
    std::unique_ptr<SimulatedBoardHost> board;
    FakeMediaPlayer* player = nullptr;
    FakeMessageBox* boxes = nullptr;
    std::unique_ptr<Form1> form;
    QString startError;
    int receiveEvents = 0;

    explicit WholeSystem(SimulatedBoardOptions options = {}) {
        board = std::make_unique<SimulatedBoardHost>(options);
        if (!board->start(&startError))
            return;
        LinkSettings settings;
        settings.portDevices[1] = board->devicePath();
        Form1::Platform platform;
        platform.serialPort = std::make_unique<QtSerialPort>(settings);
        auto m = std::make_unique<FakeMediaPlayer>();
        auto b = std::make_unique<FakeMessageBox>();
        player = m.get();
        boxes = b.get();
        platform.mediaPlayer = std::move(m);
        platform.fileDialog = std::make_unique<FakeFileDialog>();
        platform.messageBox = std::move(b);
        form = std::make_unique<Form1>(std::move(platform));
        QObject::connect(form->MSComm1, &SerialPort::OnComm, [this] { ++receiveEvents; });
    }

    // Opens port 1 (the board) with the port button, as the operator would.
    bool open() {
        if (!form)
            return false;
        form->Command16_Click();
        return form->MSComm1->portOpen();
    }

    // The frame went out and the board's whole answer has reached the console.
    bool settled() {
        return QTest::qWaitFor(
            [this] { return !form->Timer1->isActive() && board->bytesPending() == 0 && form->RinCnt == 0; },
            replyWaitMs);
    }

    bool powerUp() {
        form->devid_pu_Click();
        return QTest::qWaitFor([this] { return board->model().poweredUp(); }, replyWaitMs) && settled();
    }

    bool waitForBox() {
        const auto before = boxes->shown.size();
        return QTest::qWaitFor([&] { return boxes->shown.size() > before; }, replyWaitMs);
    }

    bool waitForText(QLineEdit* box, const QString& text) {
        return QTest::qWaitFor([&] { return box->text() == text; }, replyWaitMs);
    }
};

#define ASSERT_BOARD_OPEN(sys)                                                                               \
    ASSERT_TRUE((sys).form) << "no pseudo-terminal: " << (sys).startError.toStdString();                     \
    ASSERT_TRUE((sys).open()) << (sys).form->MSComm1->errorString().toStdString()

} // namespace

TEST(WholeSystem, DeviceIdOfEveryModel) {
    for (const Isd1700Model::ChipType& type : Isd1700Model::chipTypes()) {
        SimulatedBoardOptions options;
        options.chip = type;
        WholeSystem sys(options);
        ASSERT_BOARD_OPEN(sys);
        sys.form->devid_id_Click();
        ASSERT_TRUE(sys.waitForBox()) << type.name;
        EXPECT_EQ(sys.boxes->shown.last().text, QString::fromLatin1(type.name));
        EXPECT_EQ(sys.boxes->shown.last().caption, QStringLiteral("器件类型"));
        EXPECT_EQ(sys.boxes->shown.last().icon, MessageBox::Icon::Information);
    }
}

TEST(WholeSystem, TwoSecondsOfRecordingAdvanceTheRecordPointerBy16Rows) {
    WholeSystem sys;
    ASSERT_BOARD_OPEN(sys);
    Form1& w = *sys.form;
    ASSERT_TRUE(sys.powerUp());
    w.rd_rec_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Rec_Text, QStringLiteral("00 10 ")));
    ASSERT_TRUE(sys.settled());

    QElapsedTimer sinceRec;
    sinceRec.start();
    w.rec_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Lift(2).Visible(); }, replyWaitMs));
    EXPECT_TRUE(w.RecOn);
    EXPECT_EQ(sys.player->command(), QStringLiteral("Play"));
    // Two seconds between the clicks: the REC and STOP frames both leave one tick after their click,
    // and the board closes the message on the nearest row.
    QTest::qWait(int(std::max<qint64>(0, 2000 - sinceRec.elapsed())));
    ASSERT_EQ(sys.board->model().activity(), Isd1700Model::Activity::Recording);
    w.stop_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Lift(1).Visible(); }, replyWaitMs));
    EXPECT_FALSE(w.RecOn);
    EXPECT_EQ(sys.player->command(), QStringLiteral("Pause"));
    ASSERT_TRUE(sys.settled());

    w.rd_rec_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Rec_Text, QStringLiteral("00 20 ")));
    ASSERT_TRUE(sys.settled());
    w.rd_play_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Play_Text, QStringLiteral("00 10 ")));
    ASSERT_TRUE(sys.settled());
    // The board's current row: the message's last row, then the board's own byte (RDY).
    w.CurrentRowComm_Click();
    ASSERT_TRUE(sys.waitForText(w.CurrentRow, QStringLiteral("00 1F")));
}

TEST(WholeSystem, PlayRangeIsSetAndReadBack) {
    WholeSystem sys;
    ASSERT_BOARD_OPEN(sys);
    Form1& w = *sys.form;
    ASSERT_TRUE(sys.powerUp());
    w.St_Play_Text->setText(QStringLiteral("00 40"));
    w.St_Play_Text1->setText(QStringLiteral("00 5c"));
    w.set_play_addr_Click();
    ASSERT_TRUE(sys.waitForBox());
    // The board echoes its status byte (powered up) and the range it took.
    EXPECT_EQ(sys.boxes->shown.last().text, QStringLiteral("04 00 40 00 5C "));
    EXPECT_EQ(sys.board->model().activity(), Isd1700Model::Activity::Playing);
    ASSERT_TRUE(sys.settled());
    w.rd_play_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Play_Text, QStringLiteral("00 40 ")));

    // A range the chip refuses comes back with CMD_ERR and the range it still holds.
    ASSERT_TRUE(sys.settled());
    w.SetEraseText->setText(QStringLiteral("07 00"));
    w.SetEraseText1->setText(QStringLiteral("07 10"));
    w.SetEraseAddrComm_Click();
    ASSERT_TRUE(sys.waitForBox());
    EXPECT_EQ(sys.boxes->shown.last().text.left(2).toInt(nullptr, 16) & Isd1700Model::CMD_ERR,
              Isd1700Model::CMD_ERR);
}

TEST(WholeSystem, AnalogPathFrameSetsTheBoardsApc) {
    WholeSystem sys;
    ASSERT_BOARD_OPEN(sys);
    Form1& w = *sys.form;
    ASSERT_TRUE(sys.powerUp());
    w.si_ok_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.board->model().apc() == 0xD00; }, replyWaitMs))
        << std::hex << sys.board->model().apc();
    ASSERT_TRUE(sys.settled());

    w.sound_in->setCurrentText(QStringLiteral("Mic"));
    w.SoundMon->setChecked(true);
    w.SPKon->setChecked(true);
    w.VolStep = 1;
    w.si_ok_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.board->model().apc() == 0xC4B; }, replyWaitMs))
        << std::hex << sys.board->model().apc();
}

TEST(WholeSystem, ReplySplitByTheLineRateIsDecodedOnce) {
    // At 150 baud the four reply bytes leave 67 ms apart.
    SimulatedBoardOptions options;
    options.baud = 150;
    WholeSystem sys(options);
    ASSERT_BOARD_OPEN(sys);
    int chunks = 0;
    QObject::connect(sys.board.get(), &SimulatedBoardHost::sent, [&] { ++chunks; });
    Form1& w = *sys.form;
    int changes = 0;
    QObject::connect(w.Play_Text, &QLineEdit::textChanged, [&] { ++changes; });
    w.rd_play_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Play_Text, QStringLiteral("00 10 ")));
    ASSERT_TRUE(sys.settled());
    QTest::qWait(100);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(w.RinCnt, 0);
    EXPECT_EQ(w.RinPos, 0);
    // Bytes written apart by the board reach the console in receive events of their own.
    if (chunks >= 2) {
        EXPECT_GE(sys.receiveEvents, 2);
    }
}

TEST(WholeSystem, CutOffReplyIsNotDecodedAndTheNextReadWorks) {
    WholeSystem sys;
    ASSERT_BOARD_OPEN(sys);
    Form1& w = *sys.form;
    sys.board->replyFilter = [](const QByteArray& reply) { return reply.left(2); };
    w.devid_id_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.RinCnt == 2; }, replyWaitMs));
    QTest::qWait(100);
    EXPECT_TRUE(sys.boxes->shown.isEmpty());

    sys.board->replyFilter = nullptr;
    w.devid_id_Click();
    ASSERT_TRUE(sys.waitForBox());
    EXPECT_EQ(sys.boxes->shown.last().text, QStringLiteral("ISD1760"));
    EXPECT_EQ(sys.boxes->shown.size(), 1);
}

TEST(WholeSystem, GarbageAndAFloodFromTheBoardLeaveTheConsoleUsable) {
    WholeSystem sys;
    ASSERT_BOARD_OPEN(sys);
    Form1& w = *sys.form;
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> byte(0, 255);
    auto randomBytes = [&](int n) {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out.append(char(byte(rng)));
        return out;
    };

    // Garbage at the line rate while nothing was asked, then a read.
    sys.board->inject(randomBytes(7), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.board->bytesPending() == 0; }, replyWaitMs));
    QTest::qWait(50);
    w.rd_play_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Play_Text, QStringLiteral("00 10 ")));
    ASSERT_TRUE(sys.settled());

    // Ten thousand random bytes as fast as the device takes them, in the middle of a read.
    w.rd_rec_addr_Click();
    sys.board->inject(randomBytes(10000), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.board->bytesPending() == 0; }, 10 * replyWaitMs));
    QTest::qWait(200);
    EXPECT_EQ(sys.board->bytesSent(), 7 + 4 + 10000 + 4);
    EXPECT_TRUE(w.MSComm1->portOpen());

    // Usable after: a fresh read decodes as it should.
    const auto boxesBefore = sys.boxes->shown.size();
    w.devid_id_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.boxes->shown.size() > boxesBefore; }, replyWaitMs));
    EXPECT_EQ(sys.boxes->shown.last().text, QStringLiteral("ISD1760"));
    w.rd_rec_addr_Click();
    ASSERT_TRUE(sys.waitForText(w.Rec_Text, QStringLiteral("00 10 ")));
}
