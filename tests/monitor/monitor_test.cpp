// The traffic monitor in the console: a session on the fake port gives the rows and a saved file
// that reads exactly as the trace; the window opens from the context menu, F12 or the start, keeps
// everything while closed, and its send line refuses bad input and sends good frames as a button.
#include "form/trafficmonitor.h"
#include "formfixture.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "monitor/monitorwindow.h"
#include "monitor/trafficlog.h"
#include "ptyboard.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Console : FormFixture {
    TrafficLog& log() const { return form->Monitor->log(); }
    void open(const char* number = "1") {
        form->Combo1->setEditText(number);
        form->Command16_Click();
    }
    // Ticks the transmitter until its frame is out.
    void sendOut() {
        for (int i = 0; i < 20 && form->Timer1->isActive(); ++i)
            tick();
    }
    // Direction, bytes and meaning of each row; the pacing of a frame ticked by hand says nothing.
    QStringList rows() const {
        static const QRegularExpression gaps(QStringLiteral("；间隔 [0-9. ]+ ms"));
        QStringList out;
        for (int r = 0; r < log().rowCount(); ++r) {
            QStringList cells;
            for (int c = TrafficLog::DirectionColumn; c < TrafficLog::ColumnCount; ++c)
                cells << log().data(log().index(r, c)).toString();
            out << cells.join(" | ").replace(gaps, QStringLiteral("；间隔 … ms"));
        }
        return out;
    }
    MonitorWindow* window() const { return form->Monitor->window(); }
};

} // namespace

TEST(TrafficMonitor, ASessionOnTheFakePortGivesItsRowsAndASavedFileThatIsItsTrace) {
    Console f;
    QBuffer traced;
    traced.open(QIODevice::WriteOnly);
    LinkTraceFile traceFile(&traced);
    f.port->trace()->addSink(&traceFile);

    f.port->busyPorts.insert(3);
    f.open("3");
    f.open("1");
    f.port->receive(QByteArray::fromHex("AA")); // a stray byte as the board powers up
    f.form->devid_id_Click();
    f.sendOut();
    f.port->receive(QByteArray::fromHex("0000A0"));
    f.form->St_Play_Text->setText("01 23");
    f.form->St_Play_Text1->setText("04 56");
    f.form->set_play_addr_Click();
    f.sendOut();
    f.port->receive(QByteArray::fromHex("8001230456FF")); // one byte too many
    f.form->RinQuietTimer_Timer();
    f.form->CurrentRowComm_Click();
    f.form->Command16_Click(); // closed before the frame's first tick
    f.form->Command16_Click();
    f.port->unplug();
    QCoreApplication::processEvents();

    EXPECT_EQ(
        f.rows().join('\n').toStdString(),
        QStringList({
                        "端口 |  | 无法打开 fake3：设备正被另一个程序占用",
                        "端口 |  | 第 1 次打开：fake1，1200 8N1",
                        "接收 | AA | 未成应答：新的命令重新计数，这 1 字节不再计入应答",
                        "发送 | 09 | DEVID",
                        "接收 | 00 00 A0 | DEVID ISD1760；SR0：无标志，行 0x000",
                        "发送 | 80 01 23 04 56 | SET_PLAY 01 23 → 04 56；间隔 … ms",
                        "接收 | 80 01 23 04 56 FF | 未成应答：超过应答长度 5 字节，线路静止 100 ms 后丢弃",
                        "发送 |  | 读当前地址（板子自己的命令）；1 字节只发出 0 字节：串口已关闭",
                        "端口 |  | 已关闭 fake1",
                        "端口 |  | 第 2 次打开：fake1，1200 8N1",
                        "端口 |  | fake1 已断开：设备已从系统中消失，适配器可能被拔出",
                    })
            .join('\n')
            .toStdString());
    // Times count from the session's first opening, on through the next; before it there is none.
    const auto time = [&](int row) {
        return f.log().data(f.log().index(row, TrafficLog::TimeColumn)).toString();
    };
    EXPECT_EQ(time(0), "");
    EXPECT_EQ(time(1), "0.0");
    for (int row = 2; row < f.log().rowCount(); ++row)
        EXPECT_LE(time(row - 1).toDouble(), time(row).toDouble()) << row;

    QTemporaryDir dir;
    const QString saved = dir.filePath("saved.txt");
    QString error;
    ASSERT_TRUE(f.log().saveTo(saved, &error)) << error.toStdString();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), traced.data());
    EXPECT_EQ(traced.data().count('\n'), 19);
    // Each hand-over with the reply length its button declares (DEVID 3, SET_PLAY 5, 0x60 3).
    QStringList handOvers;
    for (const QString& line : QString::fromUtf8(traced.data()).split('\n'))
        if (line.section(' ', 1, 1) == "send")
            handOvers << line.section(' ', 1);
    EXPECT_EQ(handOvers.join('\n').toStdString(),
              "send 09, reply 3 bytes\nsend 80 01 23 04 56, reply 5 bytes\nsend 60, reply 3 bytes");
    EXPECT_FALSE(f.log().saveTo(dir.filePath("no-such-dir/saved.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(TrafficMonitor, ShowsTheProductPortsTrafficOnAPseudoTerminal) {
    PtyBoard board;
    ASSERT_TRUE(board.isOpen());
    LinkSettings settings;
    settings.portDevices.insert(1, board.slavePath());
    Form1 form(Form1::Platform{std::make_unique<QtSerialPort>(settings), std::make_unique<FakeMediaPlayer>(),
                               std::make_unique<FakeFileDialog>(), std::make_unique<FakeMessageBox>()});
    QObject::connect(&board, &PtyBoard::bytesArrived, [&] {
        if (board.received() == QByteArray("\x06", 1))
            board.send(QByteArray::fromHex("1234002C"));
    });
    form.Command16_Click();
    form.rd_play_addr_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Play_Text->text() == "00 2C "; }, 5000));

    const TrafficLog& log = form.Monitor->log();
    QStringList rows;
    for (int r = 0; r < log.rowCount(); ++r)
        rows << log.data(log.index(r, TrafficLog::BytesColumn)).toString() + " | " +
                    log.data(log.index(r, TrafficLog::MeaningColumn)).toString();
    EXPECT_EQ(rows.join('\n').toStdString(),
              QStringList({" | 第 1 次打开：" + board.slavePath() + "，1200 8N1", "06 | RD_PLAY_PTR",
                           "12 34 00 2C | RD_PLAY_PTR Play_Text \"00 2C \"；SR0：FULL INT，行 0x1A0"})
                  .join('\n')
                  .toStdString());
}

TEST(TrafficMonitor, OpensFromTheContextMenuF12OrAtStartAndLosesNothingWhileClosed) {
    Console f;
    QAction* entry = nullptr;
    for (QAction* action : f.form->actions())
        if (action->text() == "通信监视 (F12)")
            entry = action;
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(f.form->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_EQ(entry->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_EQ(f.window(), nullptr) << "the window opens when asked, the log records from the start";

    f.open();
    f.form->show();
    f.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
    QTest::keyClick(f.form.get(), Qt::Key_F12);
    ASSERT_NE(f.window(), nullptr);
    EXPECT_TRUE(f.window()->isVisible());
    EXPECT_EQ(f.window()->windowModality(), Qt::NonModal);
    EXPECT_TRUE(f.window()->isWindow());
    EXPECT_EQ(f.window()->table->model()->rowCount(), 1) << "the opening before the window was shown";

    f.window()->close();
    f.form->rd_play_addr_Click();
    f.sendOut();
    f.port->receive(QByteArray::fromHex("1234002C"));
    f.form->Command16_Click();
    entry->trigger();
    EXPECT_TRUE(f.window()->isVisible());
    EXPECT_EQ(f.window()->table->model()->rowCount(), 4);
    f.form->Command16_Click();
    f.form->Command16_Click();
    EXPECT_TRUE(f.window()->isVisible()) << "port openings and closings leave it open";

    f.window()->resize(900, 300);
    QTest::qWait(50);
    const QString out = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(out);
    f.window()->grab().save(out + "/monitor.png"); // for a person's look
}

TEST(TrafficMonitor, PausedTheRowsInSightStayCopyAndSaveTakeWhatIsThere) {
    Console f;
    f.form->Monitor->show();
    MonitorWindow* w = f.window();
    const auto notes = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            f.port->trace()->note(QString("note %1").arg(i));
        QCoreApplication::processEvents();
    };
    notes(0, 200);
    QScrollBar* bar = w->table->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 10);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the newest row in sight";
    w->pauseButton->click();
    EXPECT_EQ(w->pauseButton->text(), "继续滚动");
    bar->setValue(10);
    notes(200, 250);
    EXPECT_EQ(w->table->model()->rowCount(), 250) << "rows keep coming while paused";
    EXPECT_EQ(bar->value(), 10);
    w->pauseButton->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->pauseButton->text(), "暂停滚动");
    EXPECT_EQ(bar->value(), bar->maximum());

    w->table->selectRow(3);
    w->copyButton->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "\t端口\t\tnote 3\n");
    QTemporaryDir dir;
    w->askSavePath = [&] { return dir.filePath("monitor.txt"); };
    w->saveButton->click();
    EXPECT_EQ(w->messageLabel->text(), "已按 --trace 的格式保存到 " + dir.filePath("monitor.txt"));
    QFile saved(dir.filePath("monitor.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    EXPECT_EQ(text.count('\n'), 250);
    EXPECT_TRUE(text.endsWith(" port note 249\n"));
    w->clearButton->click();
    EXPECT_EQ(w->table->model()->rowCount(), 0);
}

TEST(SendLine, RefusesBadInputAndHandsAGoodFrameOverAsAButtonDoes) {
    Console f;
    f.open();
    f.form->Monitor->show();
    MonitorWindow* w = f.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QSize size = w->size();
    // Pasted: the line keeps what a frame can use, and a message quotes a few dozen characters.
    const auto send = [&](const QString& frame, const char* length) {
        w->frameEdit->clear();
        QGuiApplication::clipboard()->setText(frame);
        w->frameEdit->paste();
        w->lengthEdit->setText(QString::fromUtf8(length));
        w->sendButton->click();
    };
    const QString notHex = "不是十六进制字节：每个字节写两位十六进制数字（0–9、A–F），字节之间用空格隔开";
    for (const auto& [frame, length, message] :
         {std::tuple{QString("80 0G"), "5", "“0G”" + notHex},
          {"06", "17", "应答长度“17”无效：请填 0 到 16 之间的整数"},
          {QString(1000000, 'F'), "0", "帧最多 8 个字节，这里有 32 个"},
          {QString(30, 'F') + "G" + QString(119, 'F'), "0",
           "“FFFFFFFFFFFFFFFFFFFFFFFF…”（共 64 个字符）" + notHex}}) {
        send(frame, length);
        EXPECT_EQ(w->messageLabel->text(), message);
        EXPECT_FALSE(f.form->Timer1->isActive());
        EXPECT_TRUE(f.form->SendBuf.empty());
    }
    EXPECT_TRUE(w->history().isEmpty());
    EXPECT_EQ(w->size(), size);
    QGuiApplication::clipboard()->setText(QString(40, '7'));
    w->lengthEdit->clear();
    w->lengthEdit->paste();
    EXPECT_EQ(w->messageLabel->text(), "这一栏最多 8 个字符：粘贴的 40 个字符只留下了前 8 个");

    f.form->RinCnt = 7;
    send("80 01 23 04 56", "5");
    EXPECT_EQ(w->messageLabel->text(), "");
    EXPECT_EQ(f.form->SendBuf, (std::vector<uint8_t>{0x80, 0x01, 0x23, 0x04, 0x56}));
    EXPECT_EQ(std::tuple(f.form->SendCmd, f.form->SendLen, f.form->RinNeedCnt, f.form->RinCnt),
              std::tuple(uint8_t(0x80), uint8_t(5), uint8_t(5), uint8_t(0)));
    EXPECT_TRUE(f.form->Timer1->isActive());
    f.sendOut();
    EXPECT_EQ(f.port->writes, QList<QByteArray>({"\x80", "\x01", "\x23", "\x04", "\x56"}));

    // Return in the line sends it too; the board's answer is decoded as a button's would be.
    w->frameEdit->setText("06");
    w->lengthEdit->setText("4");
    QTest::keyClick(w->lengthEdit, Qt::Key_Return);
    f.sendOut();
    f.port->receive(QByteArray::fromHex("1234002C"));
    EXPECT_EQ(f.form->Play_Text->text(), "00 2C ");
    EXPECT_EQ(f.rows().last(),
              "接收 | 12 34 00 2C | RD_PLAY_PTR Play_Text \"00 2C \"；SR0：FULL INT，行 0x1A0");

    // A closed port: the transmitter's own message, and nothing written.
    f.form->Command16_Click();
    const qsizetype written = f.port->writes.size();
    send("01", "0");
    f.sendOut();
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, "串口没打开");
    EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
    EXPECT_EQ(f.port->writes.size(), written);
    EXPECT_EQ(w->history(), QStringList({"80 01 23 04 56", "06", "01"}));
}

TEST(SendLine, KeepsTheLast20FramesForTheArrowKeys) {
    Console f;
    f.form->Monitor->show();
    MonitorWindow* w = f.window();
    for (int i = 1; i <= 22; ++i) {
        w->frameEdit->setText(QString::number(i, 16));
        w->lengthEdit->setText(QString::number(i % 17));
        w->sendButton->click();
    }
    ASSERT_EQ(w->history().size(), 20);
    EXPECT_EQ(w->history().first(), "03");
    EXPECT_EQ(w->history().last(), "16");

    w->frameEdit->setText("41");
    w->lengthEdit->setText("1");
    QTest::keyClick(w->frameEdit, Qt::Key_Up);
    EXPECT_EQ(std::pair(w->frameEdit->text(), w->lengthEdit->text()), std::pair(QString("16"), QString("5")));
    QTest::keyClick(w->frameEdit, Qt::Key_Up);
    EXPECT_EQ(w->frameEdit->text(), "15");
    for (int i = 0; i < 25; ++i)
        QTest::keyClick(w->frameEdit, Qt::Key_Up);
    EXPECT_EQ(w->frameEdit->text(), "03") << "the oldest kept";
    for (int i = 0; i < 19; ++i)
        QTest::keyClick(w->frameEdit, Qt::Key_Down);
    EXPECT_EQ(w->frameEdit->text(), "16");
    QTest::keyClick(w->frameEdit, Qt::Key_Down);
    EXPECT_EQ(std::pair(w->frameEdit->text(), w->lengthEdit->text()), std::pair(QString("41"), QString("1")))
        << "past the newest, what was being typed";
}
