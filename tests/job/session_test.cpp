// Whole jobs through the window, never shown: three prompts on the simulated board with the frames on
// the wire and the report line as written, a board carrying the wrong chip, and a board pulled out
// during the second prompt. The player is the fake, on a clock that runs in real time.
#include "adapterconsole.h"
#include "boardhost.h"
#include "fakes.h"

#include "app/messageboxgate.h"
#include "form/form1.h"
#include "job/jobwindow.h"
#include "job/messagewindow.h"
#include "link/qtserialport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

// One row of 125 ms per prompt second and a lead-in of 0: the chip has filled the prompt's rows by the
// time STOP reaches it, so every record pointer is its end row + 1 whatever the machine's load.
const char* const jobText = R"(chip = "ISD1760"
lead_in_ms = 0
gap_rows = 1
volume_step = 1
[[prompt]]
name = "one"
file = "one.wav"
[[prompt]]
name = "two"
file = "two.wav"
from = 250
gain_db = -6
[[prompt]]
name = "three"
file = "one.wav"
start_row = 0x100
)";

// A job folder: the job file and silent 8 kHz wav files of the given lengths.
struct JobFolder {
    QTemporaryDir dir;
    QString job = dir.filePath(QStringLiteral("door.toml"));
    QString report = dir.filePath(QStringLiteral("door.report.jsonl"));
    QMap<QString, int32_t> lengths{{dir.filePath(QStringLiteral("one.wav")), 500},
                                   {dir.filePath(QStringLiteral("two.wav")), 1000}};

    JobFolder() {
        QFile file(job);
        file.open(QIODevice::WriteOnly);
        file.write(jobText);
        for (auto it = lengths.begin(); it != lengths.end(); ++it) {
            const quint32 bytes = quint32(it.value()) * 16;
            QByteArray wav("RIFF");
            QDataStream out(&wav, QIODevice::Append);
            out.setByteOrder(QDataStream::LittleEndian);
            out << quint32(36 + bytes);
            out.writeRawData("WAVEfmt ", 8);
            out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
                << quint16(16);
            out.writeRawData("data", 4);
            out << bytes;
            QFile sound(it.key());
            sound.open(QIODevice::WriteOnly);
            sound.write(wav + QByteArray(qsizetype(bytes), '\0'));
        }
    }
    // The report's lines, with the start time and the seconds that vary from run to run left out.
    QStringList reportLines() const {
        QFile file(report);
        file.open(QIODevice::ReadOnly);
        QString text = QString::fromUtf8(file.readAll());
        text.replace(QRegularExpression(QStringLiteral("\"seconds\":[0-9.]+,")), QString());
        text.replace(QRegularExpression(QStringLiteral("\"started\":\"[0-9T:Z-]+\"")),
                     QStringLiteral("\"started\":\"T\""));
        text.replace(dir.path(), QStringLiteral("DIR"));
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

// The fake player's clock, turned in real time.
struct PlayerClock {
    QTimer timer;
    QElapsedTimer clock;
    int64_t turned = 0;
    explicit PlayerClock(FakeMediaPlayer& player) {
        clock.start();
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this, &player] {
            const int64_t now = clock.elapsed();
            player.advance(now - turned);
            turned = now;
        });
        timer.start(1);
    }
};

// The console on the simulated board, the job desk attached as main attaches it.
struct JobBench {
    JobFolder folder;
    QString boardTrace;
    QTextStream traceStream{&boardTrace};
    SimulatedBoardHost board;
    FakeMessageBox* boxes = new FakeMessageBox;
    MessageBoxGate* gate = new MessageBoxGate(std::unique_ptr<MessageBox>(boxes));
    FakeMediaPlayer* player = new FakeMediaPlayer;
    std::unique_ptr<Form1> form;
    std::unique_ptr<PlayerClock> clock;
    std::unique_ptr<job::JobDesk> desk;

    explicit JobBench(const char* chip)
        : board({*Isd1700Model::chipTypeNamed(chip), 1200, false, &traceStream}) {
        QString error;
        EXPECT_TRUE(board.start(&error)) << error.toStdString();
        LinkSettings settings;
        settings.portDevices[1] = board.devicePath();
        player->files = folder.lengths;
        form = std::make_unique<Form1>(
            Form1::Platform{std::make_unique<QtSerialPort>(settings), std::unique_ptr<MediaPlayer>(player),
                            std::make_unique<FakeFileDialog>(), std::unique_ptr<MessageBox>(gate)});
        clock = std::make_unique<PlayerClock>(*player);
        desk = std::make_unique<job::JobDesk>(*form, *gate, job::JobDesk::Settings{1, folder.report});
    }
    // Runs the job from the window's 开始 to its end; the exit code, -1 when it never ended.
    int run() {
        desk->openJob(folder.job);
        job::JobWindow& window = *desk->window();
        window.startButton->click();
        QSignalSpy finished(window.runner(), &job::JobRunner::finished);
        return finished.wait(20000) ? finished.at(0).at(0).toInt() : -1;
    }
    // The bytes the board received, in order.
    QString wire() const {
        QStringList bytes;
        for (const QString& line : boardTrace.split(QLatin1Char('\n')))
            if (const qsizetype rx = line.indexOf(QLatin1String("  rx ")); rx >= 0)
                bytes << line.mid(rx + 5);
        return bytes.join(QLatin1Char(' '));
    }
    QStringList states() const {
        QStringList out;
        const QTableWidget& table = *desk->window()->table;
        // The state is the last column.
        for (int row = 0; row < table.rowCount(); ++row)
            out << table.item(row, table.columnCount() - 1)->text();
        return out;
    }
    // After any ending the window's operations work again and boxes show again.
    bool windowUsable() const {
        return form->rec->isEnabled() && form->Combo1->isEnabled() && !gate->catching();
    }
};

} // namespace

TEST(JobSession, ThreePromptsRecordedAndVerifiedOnTheSimulatedBoard) {
    JobBench bench("ISD1760");
    EXPECT_EQ(bench.run(), 0);
    EXPECT_EQ(bench.wire().toStdString(), "01 09 65 0D 03 43 05 "
                                          "81 00 10 00 13 02 08 "
                                          "81 00 15 00 1A 02 08 "
                                          "81 01 00 01 03 02 08 "
                                          "48 06 48 06 48 06 48 06 08");
    EXPECT_EQ(
        bench.folder.reportLines(),
        QStringList(
            {"{\"board\":1,\"chip\":\"ISD1760\",\"job\":\"DIR/door.toml\","
             "\"messages\":{\"reason\":\"\",\"rec_ptr\":260,\"result\":\"ok\",\"table\":["
             "{\"end_row\":20,\"number\":1,\"start_row\":16},{\"end_row\":255,\"number\":2,\"start_row\":21},"
             "{\"end_row\":259,\"number\":3,\"start_row\":256}]},\"port\":1,\"prompts\":["
             "{\"clipped\":0,\"end_row\":19,\"file\":\"one.wav\",\"from_ms\":0,\"gain_db\":0,"
             "\"name\":\"one\",\"reason\":\"\",\"rec_ptr\":20,\"result\":\"ok\",\"start_row\":16,"
             "\"to_ms\":500},"
             "{\"clipped\":0,\"end_row\":26,\"file\":\"two.wav\",\"from_ms\":250,\"gain_db\":-6,"
             "\"name\":\"two\",\"reason\":\"\",\"rec_ptr\":27,\"result\":\"ok\",\"start_row\":21,"
             "\"to_ms\":1000},"
             "{\"clipped\":0,\"end_row\":259,\"file\":\"one.wav\",\"from_ms\":0,\"gain_db\":0,"
             "\"name\":\"three\",\"reason\":\"\",\"rec_ptr\":260,\"result\":\"ok\",\"start_row\":256,"
             "\"to_ms\":500}],"
             "\"reason\":\"\",\"result\":\"ok\",\"started\":\"T\"}"}));
    EXPECT_EQ(bench.states(), QStringList({"已校验", "已校验", "已校验"}));
    EXPECT_EQ(bench.player->gainWrites, QList<double>({0.0, -6.0, 0.0}));
    EXPECT_TRUE(bench.boxes->shown.isEmpty()) << bench.boxes->shown.first().text.toStdString();
    EXPECT_TRUE(bench.windowUsable());
    EXPECT_EQ(bench.board.model().messages(),
              (std::vector<std::pair<uint16_t, uint16_t>>{{0x010, 0x013}, {0x015, 0x01A}, {0x100, 0x103}}));

    // 读消息表 reads the chip again on the job's port, as the operator would, and checks it against the plan.
    bench.desk->window()->messagesButton->click();
    job::MessageWindow& messages = *bench.desk->messageWindow();
    QSignalSpy read(&messages, &job::MessageWindow::readingChanged);
    ASSERT_TRUE(read.wait(10000));
    QStringList rows;
    for (int row = 0; row < messages.table->rowCount(); ++row)
        for (int column = 0; column < messages.table->columnCount(); ++column)
            rows << messages.table->item(row, column)->text();
    EXPECT_EQ(rows.join(' '), "1 0x010 0x014 0.63 s 2 0x015 0x0FF 29.38 s 3 0x100 0x103 0.50 s");
    EXPECT_EQ(messages.summaryLabel->text(),
              "ISD1760：3 条消息，记录指针 0x104，消息区 0x010-0x1EF\n校验：与计划相符");
    EXPECT_TRUE(bench.boxes->shown.isEmpty());
    EXPECT_TRUE(bench.windowUsable());
}

TEST(JobSession, ABoardWithAnotherChipIsRefusedBeforeAnythingIsErased) {
    JobBench bench("ISD1730");
    EXPECT_EQ(bench.run(), 3);
    EXPECT_EQ(bench.wire().toStdString(), "01 09");
    EXPECT_EQ(
        bench.folder.reportLines(),
        QStringList({"{\"board\":1,\"chip\":\"ISD1730\",\"job\":\"DIR/door.toml\",\"messages\":null,"
                     "\"port\":1,\"prompts\":["
                     "{\"clipped\":null,\"end_row\":19,\"file\":\"one.wav\",\"from_ms\":0,\"gain_db\":0,"
                     "\"name\":\"one\",\"reason\":\"\",\"rec_ptr\":null,\"result\":\"not run\","
                     "\"start_row\":16,\"to_ms\":500},"
                     "{\"clipped\":null,\"end_row\":26,\"file\":\"two.wav\",\"from_ms\":250,\"gain_db\":-6,"
                     "\"name\":\"two\",\"reason\":\"\",\"rec_ptr\":null,\"result\":\"not run\","
                     "\"start_row\":21,\"to_ms\":1000},"
                     "{\"clipped\":null,\"end_row\":259,\"file\":\"one.wav\",\"from_ms\":0,\"gain_db\":0,"
                     "\"name\":\"three\",\"reason\":\"\",\"rec_ptr\":null,\"result\":\"not run\","
                     "\"start_row\":256,\"to_ms\":500}],"
                     "\"reason\":\"板上的芯片是 ISD1730，任务要求 ISD1760\",\"result\":\"refused\","
                     "\"started\":\"T\"}"}));
    EXPECT_EQ(bench.states(), QStringList({"未运行", "未运行", "未运行"}));
    EXPECT_TRUE(bench.windowUsable());
}

TEST(JobSession, ASetRecTheChipRefusesFailsItsPromptWithTheRefusal) {
    JobBench bench("ISD1760");
    // The board answers SET_REC with SR0's low byte: the first such answer says CMD_ERR.
    bool refused = false;
    bench.board.replyFilter = [&](const QByteArray& reply) {
        return reply.size() == 1 && !std::exchange(refused, true) ? QByteArray(1, char(reply[0] | 0x01))
                                                                  : reply;
    };
    EXPECT_EQ(bench.run(), 1);
    const job::BoardReport& report = bench.desk->window()->runner()->boardReport();
    EXPECT_EQ(report.prompts[0].reason, "the chip refused SET_REC: CMD_ERR");
    EXPECT_EQ(bench.states(), QStringList({"失败：the chip refused SET_REC: CMD_ERR", "已校验", "已校验"}));
}

TEST(JobSession, ABoardPulledOutDuringTheSecondPromptEndsTheJobAtOnce) {
    JobFolder folder;
    AdapterConsole console;
    auto* player = dynamic_cast<FakeMediaPlayer*>(console.form->MMControl1);
    player->files = folder.lengths;
    PlayerClock clock(*player);
    // The board: the chip model behind the pty, pulled out 200 ms into its second recording.
    Isd1700Model chip;
    QElapsedTimer chipClock;
    chipClock.start();
    qsizetype taken = 0;
    int recordings = 0;
    QObject::connect(console.board.get(), &PtyBoard::bytesArrived, [&] {
        for (; taken < console.board->received().size(); ++taken) {
            const bool idle = chip.activity() != Isd1700Model::Activity::Recording;
            console.board->send(
                chip.receive(uint8_t(console.board->received().at(taken)), chipClock.elapsed()));
            if (idle && chip.activity() == Isd1700Model::Activity::Recording && ++recordings == 2)
                QTimer::singleShot(200, [&] { console.pull(); });
        }
    });
    job::JobDesk desk(*console.form, *console.gate, {1, folder.report});
    desk.openJob(folder.job);
    desk.window()->startButton->click();
    QSignalSpy finished(desk.window()->runner(), &job::JobRunner::finished);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), 3);
    const job::BoardReport& report = desk.window()->runner()->boardReport();
    EXPECT_EQ(report.result, job::BoardResult::Interrupted);
    // Told by the loss itself, not by an answer that failed to come.
    EXPECT_TRUE(report.reason.startsWith(QStringLiteral("串口 %1 已断开").arg(console.node)))
        << report.reason.toStdString();
    std::vector<job::PromptResult> results;
    for (const job::PromptReport& p : report.prompts)
        results.push_back(p.result);
    EXPECT_EQ(results, (std::vector{job::PromptResult::Ok, job::PromptResult::Interrupted,
                                    job::PromptResult::NotRun}));
    EXPECT_EQ(report.prompts[1].reason, report.reason);
    EXPECT_EQ(folder.reportLines().size(), 1);
    EXPECT_TRUE(console.closedAsAfterAClick());
    EXPECT_TRUE(console.form->rec->isEnabled() && !console.gate->catching());
}

TEST(ReadMessages, PrintsTheChipsTableOrExits3WithoutAPortOrAnAnswer) {
    PtyBoard silent; // opened, never answering
    struct Case {
        QStringList args;
        int code;
        const char* out;
        const char* err; // the end of what it says on stderr
    };
    const Case cases[] = {
        {{"--simulate-board"}, 0, "ISD1760：芯片上没有消息（记录指针 0x010）\n", ""},
        {{"--port", "1=/nonexistent/quillory-tty"}, 3, "", "No such file or directory\n"},
        {{"--port", "1=" + silent.slavePath()}, 3, "", "quillory: 板子在 1 秒内没有应答 DEVID\n"},
    };
    for (const Case& c : cases) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY")); // it needs no window system
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUILLORY_APP), c.args + QStringList{QStringLiteral("--read-messages")});
        ASSERT_TRUE(process.waitForFinished(20000));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), c.code) << err.toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(process.readAllStandardOutput()), c.out);
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.err))) << err.toStdString();
    }
}
