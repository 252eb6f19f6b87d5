// The console as shipped (Form1 on the QSerialPort link) against the simulated board over a
// pseudo-terminal, offscreen; only the player, the file dialog and the message boxes are fakes.
#include "boardhost.h"
#include "fakes.h"

#include "form/form1.h"
#include "form/trafficmonitor.h"
#include "link/qtserialport.h"
#include "monitor/trafficlog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

// Every wait is bounded: a board that never answers fails the test instead of hanging it.
constexpr int waitMs = 3000;

struct WholeSystem {
    SimulatedBoardHost board;
    FakeMessageBox* boxes = new FakeMessageBox;
    std::unique_ptr<Form1> form;
    QString error;

    explicit WholeSystem(SimulatedBoardOptions options = {}) : board(options) {
        Form1::Platform platform{nullptr, std::make_unique<FakeMediaPlayer>(),
                                 std::make_unique<FakeFileDialog>(), std::unique_ptr<FakeMessageBox>(boxes)};
        if (!board.start(&error))
            return;
        LinkSettings settings;
        settings.portDevices[1] = board.devicePath();
        platform.serialPort = std::make_unique<QtSerialPort>(settings);
        form = std::make_unique<Form1>(std::move(platform));
        form->Command16_Click(); // opens port 1, the board
        error = form->MSComm1->errorString();
    }
    bool ok() const { return form && form->MSComm1->portOpen(); }
    // The frame went out and the board's whole answer has reached the console.
    bool settled() {
        return QTest::qWaitFor(
            [this] { return !form->Timer1->isActive() && !board.bytesPending() && !form->RinCnt; }, waitMs);
    }
    // Clicks, then waits for the answer in a new message box or in a text box.
    bool box(void (Form1::*click)(), const QString& text) {
        const auto before = boxes->shown.size();
        (form.get()->*click)();
        return QTest::qWaitFor([&] { return boxes->shown.size() > before; }, waitMs) &&
               boxes->shown.last().text == text && settled();
    }
    bool shows(void (Form1::*click)(), QLineEdit* line, const QString& text) {
        line->clear();
        (form.get()->*click)();
        return QTest::qWaitFor([&] { return line->text() == text; }, waitMs) && settled();
    }
};

TEST(WholeSystem, DeviceIdOfEveryModel) {
    for (const Isd1700Model::ChipType& type : Isd1700Model::chipTypes()) {
        WholeSystem sys({type, 1200, false, nullptr});
        ASSERT_TRUE(sys.ok()) << sys.error.toStdString();
        EXPECT_TRUE(sys.box(&Form1::devid_id_Click, QString::fromLatin1(type.name))) << type.name;
    }
}

TEST(WholeSystem, RecordTwoSecondsThenSetAPlayRangeAndTheAnalogPath) {
    WholeSystem sys;
    ASSERT_TRUE(sys.ok()) << sys.error.toStdString();
    Form1& w = *sys.form;
    w.devid_pu_Click();
    ASSERT_TRUE(sys.settled());
    ASSERT_TRUE(sys.shows(&Form1::rd_rec_addr_Click, w.Rec_Text, QStringLiteral("00 10 ")));
    w.rec_Click();
    // The REC and STOP frames each leave one tick after their click; the stop comes mid-way through
    // the 16th row, which the chip keeps.
    QTest::qWait(1940);
    ASSERT_EQ(sys.board.model().activity(), Isd1700Model::Activity::Recording);
    w.stop_Click(); // its one-byte reply raises Lift(1)
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Lift(1).Visible(); }, waitMs) && sys.settled());
    EXPECT_TRUE(sys.shows(&Form1::rd_rec_addr_Click, w.Rec_Text, QStringLiteral("00 20 ")));
    EXPECT_TRUE(sys.shows(&Form1::rd_play_addr_Click, w.Play_Text, QStringLiteral("00 10 ")));

    w.St_Play_Text->setText(QStringLiteral("00 40"));
    w.St_Play_Text1->setText(QStringLiteral("00 5c"));
    EXPECT_TRUE(sys.box(&Form1::set_play_addr_Click, QStringLiteral("04 00 40 00 5C ")));
    EXPECT_TRUE(sys.shows(&Form1::rd_play_addr_Click, w.Play_Text, QStringLiteral("00 40 ")));

    w.sound_in->setCurrentText(QStringLiteral("Mic"));
    w.SoundMon->setChecked(true);
    w.SPKon->setChecked(true);
    w.VolStep = 1;
    w.si_ok_Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sys.board.model().apc() == 0xC4B; }, waitMs))
        << std::hex << sys.board.model().apc();
}

TEST(WholeSystem, ReplySplitByTheLineRateIsDecodedOnce) {
    WholeSystem sys({Isd1700Model::defaultChipType(), 150, false, nullptr}); // reply bytes 67 ms apart
    ASSERT_TRUE(sys.ok()) << sys.error.toStdString();
    Form1& w = *sys.form;
    int chunks = 0, receives = 0, changes = 0;
    QObject::connect(&sys.board, &SimulatedBoardHost::sent, [&] { ++chunks; });
    QObject::connect(w.MSComm1, &SerialPort::OnComm, [&] { ++receives; });
    QObject::connect(w.Play_Text, &QLineEdit::textChanged,
                     [&](const QString& t) { changes += !t.isEmpty(); });
    ASSERT_TRUE(sys.shows(&Form1::rd_play_addr_Click, w.Play_Text, QStringLiteral("00 10 ")));
    QTest::qWait(100);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(w.RinPos, 0);
    if (chunks >= 2) { // bytes the board wrote apart arrive in receive events of their own
        EXPECT_GE(receives, 2);
    }
}

TEST(WholeSystem, CutOffReplyGarbageAndAFloodLeaveTheConsoleUsable) {
    WholeSystem sys;
    ASSERT_TRUE(sys.ok()) << sys.error.toStdString();
    Form1& w = *sys.form;
    sys.board.replyFilter = [](const QByteArray& reply) { return reply.left(2); };
    w.devid_id_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.RinCnt == 2; }, waitMs));
    QTest::qWait(100);
    EXPECT_TRUE(sys.boxes->shown.isEmpty());
    sys.board.replyFilter = nullptr;
    EXPECT_TRUE(sys.box(&Form1::devid_id_Click, QStringLiteral("ISD1760")));
    EXPECT_EQ(sys.boxes->shown.size(), 1);

    std::mt19937 rng(17);
    QByteArray noise(10007, '\0');
    std::generate(noise.begin(), noise.end(), [&] { return char(rng()); });
    // Garbage at the line rate while nothing was asked, then ten thousand bytes at once in a read.
    sys.board.inject(noise.left(7), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.board.bytesPending() == 0; }, waitMs));
    QTest::qWait(50);
    ASSERT_TRUE(sys.shows(&Form1::rd_rec_addr_Click, w.Rec_Text, QStringLiteral("00 10 ")));
    const qint64 sentBefore = sys.board.bytesSent();
    w.rd_rec_addr_Click();
    sys.board.inject(noise.mid(7), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sys.board.bytesPending() == 0; }, 10 * waitMs));
    QTest::qWait(200);
    EXPECT_EQ(sys.board.bytesSent() - sentBefore, 10000 + 4);
    EXPECT_TRUE(sys.box(&Form1::devid_id_Click, QStringLiteral("ISD1760")));
    EXPECT_TRUE(sys.shows(&Form1::rd_rec_addr_Click, w.Rec_Text, QStringLiteral("00 10 ")));
}

TEST(WholeSystem, AStrayByteAtPowerUpDoesNotSilenceTheRecordAnswer) {
    WholeSystem sys;
    ASSERT_TRUE(sys.ok()) << sys.error.toStdString();
    Form1& w = *sys.form;
    // Noise as the board powers up, before any operation has said how long an answer is.
    sys.board.inject(QByteArray(1, '\x5A'), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.RinCnt == 1; }, waitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.RinCnt == 0; }, waitMs)) << "the stray byte stays counted";
    w.devid_pu_Click();
    ASSERT_TRUE(sys.settled());
    w.rec_Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.MMControl1->command() == QStringLiteral("Play"); }, waitMs));
    EXPECT_TRUE(w.RecOn && w.PlayerRun && w.Lift(2).Visible());
    EXPECT_EQ(sys.board.model().activity(), Isd1700Model::Activity::Recording);
}

TEST(WholeSystem, TheStatusAheadOfAPointerIsDecodedAndARefusedCommandMarkedInMonitorAndTrace) {
    WholeSystem sys;
    ASSERT_TRUE(sys.ok()) << sys.error.toStdString();
    Form1& w = *sys.form;
    w.devid_pu_Click();
    ASSERT_TRUE(sys.settled());
    ASSERT_TRUE(sys.shows(&Form1::rd_rec_addr_Click, w.Rec_Text, QStringLiteral("00 10 ")));
    w.sendFrame(std::vector<uint8_t>{0x81, 0x00, 0x40, 0x00, 0x20}); // SET_REC backwards: refused
    ASSERT_TRUE(sys.settled());
    ASSERT_TRUE(sys.shows(&Form1::rd_rec_addr_Click, w.Rec_Text, QStringLiteral("00 10 ")));

    const TrafficLog& log = w.Monitor->log();
    QStringList rows;
    for (int r = 0; r < log.rowCount(); ++r)
        if (log.data(log.index(r, TrafficLog::DirectionColumn)).toString() == "接收")
            rows << log.data(log.index(r, TrafficLog::BytesColumn)).toString() + " | " +
                        log.data(log.index(r, TrafficLog::MeaningColumn)).toString() + " | " +
                        (log.data(log.index(r, 0), Qt::BackgroundRole).isValid() ? "marked" : "");
    EXPECT_EQ(rows.join('\n').toStdString(),
              "04 00 00 10 | RD_REC_PTR Rec_Text \"00 10 \"；SR0：PU，行 0x000 | \n"
              "05 | SET_REC | \n"
              "05 00 00 10 | RD_REC_PTR Rec_Text \"00 10 \"；SR0：CMD_ERR PU，行 0x000；芯片拒绝了 "
              "SET_REC：CMD_ERR | marked");
    QStringList replies;
    for (const QString& line : QString::fromUtf8(log.traceText()).split('\n'))
        if (line.section(' ', 1, 1) == "reply")
            replies << line.section(' ', 1);
    EXPECT_EQ(replies.join('\n').toStdString(), "reply 08 RD_REC_PTR Rec_Text \"00 10 \"; SR0 PU, row 0x000\n"
                                                "reply 81 SET_REC\n"
                                                "reply 08 RD_REC_PTR Rec_Text \"00 10 \"; SR0 CMD_ERR PU, "
                                                "row 0x000; the chip refused SET_REC: CMD_ERR");
}
