// The link's pure helpers: the model table, the options and the trace.
#include "formfixture.h"
#include "link/linkoptions.h"
#include "link/linktrace.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(DeviceTable, ElevenModelsByTheWholeByteAndUnknownForTheRest) {
    FormFixture f;
    const std::pair<uint8_t, const char*> table[] = {
        {0x80, "ISD1730"},  {0x90, "ISD1720"},  {0xA0, "ISD1760"},  {0xA8, "ISD1750"},  {0xB0, "ISD1740"},
        {0xC0, "ISD17150"}, {0xC8, "ISD17120"}, {0xD0, "ISD1790"},  {0xE0, "ISD17240"}, {0xE8, "ISD17210"},
        {0xF0, "ISD17180"}, {0x00, "未知器件"}, {0x81, "未知器件"}, {0xA4, "未知器件"}, {0xF8, "未知器件"},
        {0xFF, "未知器件"}, {0x10, "未知器件"}};
    for (const auto& [id, name] : table) {
        EXPECT_EQ(f.form->DeviceType(id), QString::fromUtf8(name)) << int(id);
        EXPECT_EQ(f.form->DevKnown, name[0] == 'I') << int(id);
    }
    int known = 0;
    for (int id = 0; id <= 255; ++id)
        known += f.form->DeviceType(uint8_t(id)) != QStringLiteral("未知器件");
    EXPECT_EQ(known, 11);
}

TEST(LinkOptions, EveryOptionIsReadAndABadValueRefusedNamingIt) {
    LinkOptions o;
    QString error;
    const auto parse = [&](const QStringList& args) {
        QCommandLineParser parser;
        addLinkOptions(parser);
        if (!parser.parse(QStringList{"quillory"} + args))
            return (error = parser.errorText(), false);
        return readLinkOptions(parser, o, &error);
    };
    ASSERT_TRUE(parse({"--port=3=COM7", "--baud=9600", "--parity=even", "--stop-bits=2", "--trace=-"}));
    EXPECT_EQ(
        std::tuple(o.settings.deviceFor(3), o.settings.baudRate, o.settings.parity, o.settings.stopBits),
        std::tuple(QString("COM7"), 9600, QSerialPort::EvenParity, QSerialPort::TwoStop));
#ifdef Q_OS_WIN
    ASSERT_TRUE(parse({"--stop-bits=1.5"}));
    EXPECT_EQ(o.settings.stopBits, QSerialPort::OneAndHalfStop);
#else
    // termios has no 1.5 stop bits: refused at start rather than opened with one.
    EXPECT_FALSE(parse({"--stop-bits=1.5"}));
    EXPECT_EQ(error.toStdString(),
              "--stop-bits: \"1.5\" is not accepted; the serial ports of this system have no "
              "1.5 stop bits: give 1 or 2");
    EXPECT_EQ(o.settings.stopBits, QSerialPort::TwoStop);
#endif
    for (const QString bad :
         {"--port=17=/dev/ttyS0", "--port=/dev/ttyS0", "--port=2=", "--baud=0", "--baud=-9600",
          "--baud=99999999999", "--data-bits=9", "--stop-bits=3", "--flow-control=xon", "--trace="}) {
        SCOPED_TRACE(bad.toStdString());
        o.settings.baudRate = 4242;
        EXPECT_FALSE(parse({bad}));
        EXPECT_TRUE(error.contains(bad.section('=', 0, 0))) << error.toStdString();
        EXPECT_EQ(o.settings.baudRate, 4242) << "nothing is taken from a refused command line";
    }
    EXPECT_FALSE(parse({"--port=1=/dev/ttyUSB0", "--port=1=/dev/ttyUSB1"}));
    EXPECT_EQ(
        error.toStdString(),
        "--port: \"1=/dev/ttyUSB1\" is not accepted; port 1 is already /dev/ttyUSB0: give each number once");
}

namespace {
struct EventCount final : LinkTraceSink {
    int events = 0;
    void record(const LinkEvent&, const QByteArray&) override { ++events; }
};
} // namespace

TEST(LinkTrace, OneStampedLinePerEventForEverySink) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    LinkTrace trace(&out);
    EventCount counted;
    trace.addSink(&counted);
    QString error;
    const qint64 before = LinkTrace::nowUs();
    const uint8_t readPlay[] = {0x06};
    const uint8_t setPlay[] = {0x80, 0x01, 0x23, 0x04, 0x56};
    trace.opened(QStringLiteral("/dev/ttyUSB0"), 1200, QStringLiteral("8N1"));
    trace.handedOver(readPlay, 4, 0);
    trace.sent(0x06);
    trace.received(QByteArray("\x12\x34\x00\x2C", 4));
    trace.decoded(0x06, QStringLiteral("RD_PLAY_PTR Play_Text \"00 2C \""), 4);
    trace.handedOver(setPlay, 5, 2);
    trace.dropped(6, QStringLiteral("5 expected, line quiet for 100 ms"), QStringLiteral("多出"));
    trace.unreadAtClose(2);
    trace.inputDiscarded(1);
    trace.closed(QStringLiteral("/dev/ttyUSB0"));
    trace.openFailed(QStringLiteral("/dev/ttyUSB1"), QStringLiteral("No such file or directory"));
    trace.lost(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("hung up"), QStringLiteral("设备已挂断"));
    trace.note(QStringLiteral("write failed on /dev/ttyUSB0: Input/output\nerror"));
    const QStringList expected = {"port opened /dev/ttyUSB0 at 1200 baud, 8N1",
                                  "send 06, reply 4 bytes",
                                  "tx 06",
                                  "rx 4: 12 34 00 2C",
                                  "reply 06 RD_PLAY_PTR Play_Text \"00 2C \"",
                                  "send 80 01 23 04 56, reply 5 bytes, 2 counted already",
                                  "drop 6 bytes: 5 expected, line quiet for 100 ms",
                                  "drop 2 bytes: unread when the port closed",
                                  "drop 1 bytes: input discarded unread",
                                  "port closed /dev/ttyUSB0",
                                  "port cannot open /dev/ttyUSB1: No such file or directory",
                                  "lost /dev/ttyUSB0: hung up",
                                  "port write failed on /dev/ttyUSB0: Input/output\\nerror"};
    const QStringList lines = QString::fromUtf8(out.data()).split('\n');
    ASSERT_EQ(lines.size(), expected.size() + 1) << out.data().toStdString();
    EXPECT_EQ(lines.last(), "") << "every line ends";
    qint64 previous = before;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const qint64 us = lines[i].section(' ', 0, 0).toLongLong();
        EXPECT_GE(us, previous) << i;
        previous = us;
        EXPECT_EQ(lines[i].section(' ', 1).toStdString(), expected[i].toStdString());
    }
    EXPECT_EQ(counted.events, expected.size()) << "every sink is told of every event";

    trace.removeSink(&counted);
    {
        EventCount gone;
        trace.addSink(&gone);
    }
    trace.note(QStringLiteral("after"));
    EXPECT_EQ(counted.events, expected.size());
    EXPECT_TRUE(out.data().endsWith(" port after\n"));
    {
        LinkTrace shortLived;
        shortLived.addSink(&counted);
    }
    trace.addSink(&counted);
    trace.note(QStringLiteral("again"));
    EXPECT_EQ(counted.events, expected.size() + 1) << "a sink outlives a record and joins another";
    EXPECT_EQ(LinkTrace::open(QStringLiteral("/nonexistent-dir/trace.txt"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty()) << "a trace file that cannot be written is reported";
}
