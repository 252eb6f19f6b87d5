// The traffic log's rows from the link's events at known times, its bound, its trace text, and the
// two pure pieces of the monitor: the names of frames and the strict reading of the send line.
#include "link/linktrace.h"
#include "monitor/framemeaning.h"
#include "monitor/trafficlog.h"
#include "monitor/typedframe.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

using Kind = LinkEvent::Kind;

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

// Feeds the log events stamped with the given monotonic microseconds.
struct Feed {
    explicit Feed(int limit = TrafficLog::defaultRowLimit, qint64 memory = TrafficLog::defaultMemoryLimit)
        : log(limit, memory) {}
    void at(qint64 us, LinkEvent e) {
        e.us = us;
        const QByteArray line = traceLine(e);
        trace += line;
        log.record(e, line);
    }
    void event(qint64 us, Kind kind, const char* hex = "", int count = 0, const QString& text = {},
               const QString& detail = {}, const QString& shown = {}) {
        LinkEvent e;
        e.kind = kind;
        e.bytes = bytes(hex);
        e.count = count;
        e.text = text;
        e.detail = detail;
        e.shown = shown;
        at(us, e);
    }
    void handOver(qint64 us, const char* frame, int need, int counted = 0) {
        LinkEvent e;
        e.kind = Kind::HandedOver;
        e.bytes = bytes(frame);
        e.count = need;
        e.counted = counted;
        at(us, e);
    }
    void reply(qint64 us, uint8_t command, const QString& meaning, int count) {
        LinkEvent e;
        e.kind = Kind::Reply;
        e.command = command;
        e.text = meaning;
        e.count = count;
        at(us, e);
    }
    QStringList rows() const {
        QStringList out;
        for (int r = 0; r < log.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < TrafficLog::ColumnCount; ++c)
                cells << log.data(log.index(r, c)).toString();
            out << cells.join(" | ");
        }
        return out;
    }
    std::string marks() const {
        std::string out;
        for (int r = 0; r < log.rowCount(); ++r) {
            const QVariant colour = log.data(log.index(r, 0), Qt::BackgroundRole);
            out += !colour.isValid() ? '.' : colour.value<QColor>() == QColor(0xFF, 0xE0, 0xB2) ? 'L' : 'T';
        }
        return out;
    }

    TrafficLog log;
    QByteArray trace;
};

} // namespace

TEST(TrafficLog, RowsOfASessionWithTheirTimesMeaningsAndMarks) {
    Feed f;
    const qint64 t0 = 10'000'000;
    f.event(t0, Kind::Opened, "", 1200, "fake1", "8N1");
    f.event(t0 + 20'000, Kind::Received, "AA"); // a stray byte at power-up
    f.handOver(t0 + 100'000, "09", 3);
    f.event(t0 + 150'000, Kind::Sent, "09");
    f.event(t0 + 170'000, Kind::Received, "0000");
    f.event(t0 + 175'000, Kind::Received, "A0");
    f.reply(t0 + 175'000, 0x09, "DEVID ISD1760", 3);
    f.handOver(t0 + 1'000'000, "8001230456", 5);
    for (const auto& [us, byte] : {std::pair{1'050'000, "80"},
                                   {1'100'000, "01"},
                                   {1'150'100, "23"},
                                   {1'199'900, "04"},
                                   {1'250'000, "56"}})
        f.event(t0 + us, Kind::Sent, byte);
    f.event(t0 + 1'300'000, Kind::Received, "8001230456FF");
    f.event(t0 + 1'400'000, Kind::Dropped, "", 6, "5 expected, line quiet for 100 ms", {},
            "超过应答长度 5 字节，线路静止 100 ms 后丢弃");
    f.handOver(t0 + 2'000'000, "06", 4);
    f.event(t0 + 2'050'000, Kind::Sent, "06");
    f.event(t0 + 2'600'000, Kind::Received, "1234002C");
    f.reply(t0 + 2'600'000, 0x06, "RD_PLAY_PTR Play_Text \"00 2C \"", 4);
    f.handOver(t0 + 3'000'000, "06", 4);
    f.event(t0 + 3'050'000, Kind::Sent, "06");
    f.event(t0 + 3'100'000, Kind::Received, "1234"); // half a reply, still counted at the next hand-over
    f.handOver(t0 + 3'200'000, "8201000200", 5, 2);
    f.event(t0 + 3'250'000, Kind::Sent, "82");
    f.event(t0 + 3'260'000, Kind::Closed, "", 0, "fake1");
    f.event(t0 + 4'000'000, Kind::OpenFailed, "", 0, "fake2", "No such file or directory");
    f.event(t0 + 5'000'000, Kind::Opened, "", 1200, "fake1", "8N1");
    f.event(t0 + 5'010'000, Kind::Received, "77");
    f.event(t0 + 5'020'000, Kind::Lost, "", 0, "fake1", "hung up", "设备已挂断");
    f.event(t0 + 5'020'000, Kind::UnreadAtClose, "", 1);

    EXPECT_EQ(
        f.rows().join('\n').toStdString(),
        QStringList(
            {
                "0.0 | 端口 |  | 第 1 次打开：fake1，1200 8N1",
                "100.0 | 接收 | AA | 未成应答：新的命令重新计数，这 1 字节不再计入应答",
                "150.0 | 发送 | 09 | DEVID",
                "175.0 | 接收 | 00 00 A0 | DEVID ISD1760",
                "1250.0 | 发送 | 80 01 23 04 56 | SET_PLAY 01 23 → 04 56；间隔 50.0 50.1 49.8 50.1 ms",
                "1400.0 | 接收 | 80 01 23 04 56 FF | 未成应答：超过应答长度 5 字节，线路静止 100 ms 后丢弃",
                "2050.0 | 发送 | 06 | RD_PLAY_PTR",
                "2600.0 | 接收 | 12 34 00 2C | RD_PLAY_PTR Play_Text \"00 2C \"；晚到：命令发出 550.0 ms 后",
                "3050.0 | 发送 | 06 | RD_PLAY_PTR",
                "3260.0 | 发送 | 82 | SET_ERASE 01 00 → 02 00；5 字节只发出 1 字节：串口已关闭",
                "3260.0 | 端口 |  | 已关闭 fake1",
                "4000.0 | 端口 |  | 无法打开 fake2：No such file or directory",
                "5000.0 | 端口 |  | 第 2 次打开：fake1，1200 8N1",
                "5020.0 | 端口 |  | fake1 已断开：设备已挂断",
                "5020.0 | 接收 | 77 | 未读取：串口关闭时还没有交给接收方",
            })
            .join('\n')
            .toStdString());
    EXPECT_EQ(f.marks(), ".T...T.L.T.T.TT")
        << "late in orange; bytes and frames that went wrong, and failures, in red";
    EXPECT_EQ(f.log.waitingBytes(), bytes("1234")) << "still counted for the reply to 82";
    EXPECT_EQ(f.log.replyLength(), 5);
    EXPECT_EQ(f.log.traceText(), f.trace) << "every event's trace line, in the order they came";

    EXPECT_EQ(f.log.rowsText({3, 0}), "0.0\t端口\t\t第 1 次打开：fake1，1200 8N1\n"
                                      "175.0\t接收\t00 00 A0\tDEVID ISD1760\n");
}

TEST(TrafficLog, AReplyIsLateOnlyPast500MsAfterItsCommandsLastByte) {
    for (const auto& [after, late] : {std::pair{500'000, false}, {500'001, true}}) {
        Feed f;
        f.event(0, Kind::Opened, "", 1200, "fake1", "8N1");
        f.handOver(1'000, "41", 1);
        f.event(51'000, Kind::Sent, "41");
        f.event(51'000 + after, Kind::Received, "41");
        f.reply(51'000 + after, 0x41, "REC", 1);
        EXPECT_EQ(f.rows().last().contains("晚到"), late) << after;
        EXPECT_EQ(f.marks(), late ? "..L" : "...");
    }
}

TEST(TrafficLog, KeepsTheLastRowsWithOneRowSayingHowManyWentAndTheirLinesGoToo) {
    Feed f(3);
    for (int i = 1; i <= 5; ++i)
        f.event(i * 1000, Kind::Note, "", 0, QString("note %1").arg(i));
    EXPECT_EQ(f.rows(), QStringList({" |  |  | 较早的 2 行已移除（最多保留 3 行、64 MB）",
                                     " | 端口 |  | note 3", " | 端口 |  | note 4", " | 端口 |  | note 5"}));
    EXPECT_EQ(f.log.traceText(), "3000 port note 3\n4000 port note 4\n5000 port note 5\n");

    f.log.clear();
    EXPECT_EQ(f.log.rowCount(), 0);
    EXPECT_EQ(f.log.traceText(), "");
    f.event(6000, Kind::Note, "", 0, "note 6");
    EXPECT_EQ(f.rows(), QStringList({" | 端口 |  | note 6"}));
    EXPECT_EQ(f.log.traceText(), "6000 port note 6\n");

    // The product's bound: an eight-hour session never holds more, the oldest going a thousand at
    // a time.
    Feed full;
    LinkEvent note;
    note.kind = Kind::Note;
    note.text = "n";
    int most = 0;
    for (qint64 i = 0; i < 102'500; ++i) {
        full.at(i, note);
        most = std::max(most, full.log.rowCount());
    }
    EXPECT_EQ(most, 100'001) << "100,000 rows and the one that says how many went";
    EXPECT_EQ(full.log.rowsGone(), 3'000);
    ASSERT_EQ(full.log.rowCount(), 1 + 99'500);
    EXPECT_EQ(full.rows().first(), " |  |  | 较早的 3000 行已移除（最多保留 100000 行、64 MB）");
    EXPECT_EQ(full.log.traceText().count('\n'), 99'500);
    EXPECT_TRUE(full.log.traceText().startsWith("3000 port n\n"));
}

TEST(TrafficLog, ARowShowsItsFirst64BytesAndTheLogKeepsToItsMemoryWhateverTheRowsHold) {
    Feed f(TrafficLog::defaultRowLimit, 1024 * 1024);
    LinkEvent pile;
    pile.kind = Kind::Received;
    pile.bytes = QByteArray(4096, '\x5A');
    qint64 most = 0;
    for (int i = 0; i < 1000; ++i) {
        f.at(i * 10, pile);
        f.event(i * 10 + 5, Kind::Dropped, "", 4096, "no reply within 255 bytes");
        most = std::max(most, f.log.memoryUsed());
    }
    EXPECT_LE(most, 1024 * 1024);
    EXPECT_GT(f.log.rowCount(), 50) << "the oldest go, not all: 4096 bytes a row take 12 kB of trace lines";
    EXPECT_EQ(f.rows().first(),
              QString(" |  |  | 较早的 %1 行已移除（最多保留 100000 行、1 MB）").arg(f.log.rowsGone()));
    EXPECT_EQ(f.rows().last(), " | 接收 | " + QString("5A ").repeated(63) +
                                   "5A … 另有 4032 字节 | 未成应答：no reply within 255 bytes");
    EXPECT_EQ(f.log.traceText().count('\n'), 2 * (f.log.rowCount() - 1)) << "the lines of the rows kept";
}

TEST(TrafficLog, ASaveIsWholeOrNotAtAllAndSaysWhyNot) {
    Feed f;
    for (int i = 0; i < 5000; ++i)
        f.event(i, Kind::Note, "", 0, QString("note %1").arg(i));
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.txt");
    const auto contents = [&] {
        QFile file(kept);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    ASSERT_TRUE(f.log.saveTo(kept, nullptr));
    const QByteArray before = contents();
    // A disk that fills up part way, as a file size limit does: the write fails after 65,536 bytes.
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit small{65536, unlimited.rlim_max};
    const auto hold = std::signal(SIGXFSZ, SIG_IGN);
    f.event(5000, Kind::Note, "", 0, "one more");
    setrlimit(RLIMIT_FSIZE, &small);
    for (const auto& [path, why] :
         {std::pair{kept, "文件超出了允许的大小"}, {QString("/dev/full"), "磁盘已满"}}) {
        QString error;
        EXPECT_FALSE(f.log.saveTo(path, &error)) << path.toStdString();
        EXPECT_EQ(error, QString::fromUtf8(why));
    }
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, hold);
    EXPECT_EQ(contents(), before) << "what was there stays";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kept.txt"}));
    EXPECT_FALSE(QFileInfo("/dev/full").isFile()) << "a device is written, never replaced";
}

TEST(FrameMeaning, EveryFrameOfTheButtonsByItsName) {
    const std::pair<const char*, const char*> frames[] = {
        {"01", "PU"},
        {"02", "STOP"},
        {"03", "RESET"},
        {"06", "RD_PLAY_PTR"},
        {"08", "RD_REC_PTR"},
        {"09", "DEVID"},
        {"40", "PLAY"},
        {"41", "REC"},
        {"42", "ERASE"},
        {"43", "G_ERASE"},
        {"48", "FWD"},
        {"60", "读当前地址（板子自己的命令）"},
        {"8001230456", "SET_PLAY 01 23 → 04 56"},
        {"81001001FF", "SET_REC 00 10 → 01 FF"},
        {"82E100E100", "SET_ERASE E1 00 → E1 00"},
        {"650D00", "WR_APC2 音源 Lin，监听 关，SPK 关，音量 4"},
        {"650C48", "WR_APC2 音源 Mic，监听 开，SPK 开，音量 4"},
        {"650D18", "WR_APC2 音源 LM，监听 开，SPK 关，音量 4"},
        {"650C04", "WR_APC2 音源 Lin，监听 关，SPK 开，音量 0"},
        // Typed frames that no button sends.
        {"650E00", "WR_APC2 0E 00"},
        {"650C50", "WR_APC2 0C 50"},
        {"650C05", "WR_APC2 0C 05"},
        {"8001", "SET_PLAY（应为 5 字节） 01"},
        {"0901", "DEVID（应为 1 字节） 01"},
        {"65", "WR_APC2（应为 3 字节）"},
        {"77", "不在命令表中的命令 77"},
    };
    for (const auto& [hex, name] : frames) {
        const QByteArray frame = QByteArray::fromHex(hex);
        EXPECT_EQ(frameMeaning(
                      std::span(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()))),
                  QString::fromUtf8(name))
            << hex;
    }
}

TEST(TypedFrame, AGoodLineGivesItsBytesAndABadOneIsRefusedWithWhy) {
    const struct {
        const char *frame, *length, *bytes;
        int replyLength;
    } good[] = {
        {"80 01 23 04 56", "5", "8001230456", 5},
        {"  800123   04 56 ", " 5 ", "8001230456", 5},
        {"9", "3", "09", 3},
        {"0a ff", "0", "0AFF", 0},
        {"01 02 03 04 05 06 07 08", "16", "0102030405060708", 16},
    };
    for (const auto& g : good) {
        const TypedFrame typed = readTypedFrame(g.frame, g.length);
        ASSERT_TRUE(typed.ok()) << g.frame;
        EXPECT_EQ(
            QByteArray(reinterpret_cast<const char*>(typed.frame.data()), qsizetype(typed.frame.size())),
            QByteArray::fromHex(g.bytes));
        EXPECT_EQ(typed.replyLength, g.replyLength);
        EXPECT_EQ(typedFrameMessage(typed), "");
    }
    const QString notHex = "”不是十六进制字节：每个字节写两位十六进制数字（0–9、A–F），字节之间用空格隔开";
    const QString empty = "请输入要发送的帧：1 到 8 个十六进制字节，例如 09 或 80 01 23 04 56";
    const QString badLength = "”无效：请填 0 到 16 之间的整数";
    const struct {
        const char *frame, *length;
        QString message;
    } bad[] = {
        {"", "0", empty},
        {"80 0G", "0", "“0G" + notHex},
        {"123", "0", "“123" + notHex},
        {"0x80", "0", "“0x80" + notHex},
        {"８０", "0", "“８０" + notHex},
        {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFG", "0",
         "“FFFFFFFFFFFFFFFFFFFFFFFF…”（共 30 个字符）" + notHex.mid(1)},
        {"01 02 03 04 05 06 07 08 09", "0", "帧最多 8 个字节，这里有 9 个"},
        {"010203040506070809", "0", "帧最多 8 个字节，这里有 9 个"},
        {"01", "17", "应答长度“17" + badLength},
        {"01", "-1", "应答长度“-1" + badLength},
        {"01", "x", "应答长度“x" + badLength},
        {"01", "", "请填写应答长度：0 到 16 之间的整数"},
    };
    for (const auto& b : bad) {
        const TypedFrame typed = readTypedFrame(QString::fromUtf8(b.frame), QString::fromUtf8(b.length));
        EXPECT_FALSE(typed.ok()) << b.frame;
        EXPECT_TRUE(typed.frame.empty()) << b.frame;
        EXPECT_EQ(typedFrameMessage(typed), b.message) << b.frame;
    }
}
