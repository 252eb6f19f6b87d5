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
}

TEST(LinkTrace, OneStampedLinePerByteChunkReplyAndNote) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    LinkTrace trace(&out);
    QString error;
    const qint64 before = LinkTrace::nowUs();
    trace.sent(0x06);
    trace.received(QByteArray("\x12\x34\x00\x2C", 4));
    trace.decoded(0x06, QStringLiteral("RD_PLAY_PTR Play_Text \"00 2C \""));
    trace.note(QStringLiteral("closed"));
    const auto m = QRegularExpression("^(\\d+) tx 06\n(\\d+) rx 4: 12 34 00 2C\n(\\d+) reply 06 RD_PLAY_PTR "
                                      "Play_Text \"00 2C \"\n(\\d+) port closed\n$")
                       .match(QString::fromUtf8(out.data()));
    ASSERT_TRUE(m.hasMatch()) << out.data().toStdString();
    for (int i = 1; i <= 4; ++i)
        EXPECT_GE(m.captured(i).toLongLong(), i == 1 ? before : m.captured(i - 1).toLongLong());
    EXPECT_EQ(LinkTrace::open(QStringLiteral("/nonexistent-dir/trace.txt"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty()) << "a trace file that cannot be written is reported";
}
