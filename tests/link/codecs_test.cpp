// The link's pure helpers: hex text, digit codes, the model table, the options and the trace.
#include "formfixture.h"
#include "link/devicetable.h"
#include "link/hextext.h"
#include "link/linkoptions.h"
#include "link/linktrace.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(HexText, EveryByteIsTwoUpperCaseDigitsAndABlank) {
    EXPECT_EQ(hexText(std::vector<uint8_t>{0x01, 0xAB}), "01 AB ");
    EXPECT_EQ(hexText(std::vector<uint8_t>{0x0F}), "0F ");
    EXPECT_EQ(hexText(std::vector<uint8_t>{0x00, 0xFF, 0x1A, 0x2B}), "00 FF 1A 2B ");
    EXPECT_EQ(hexText(std::vector<uint8_t>{}), "");
}

TEST(HexText, FindCharGivesTheDigitCodeInDecimalAndLeavesItInItsArgument) {
    FormFixture f;
    uint8_t b = 10;
    EXPECT_EQ(f.form->FindChar(b), "65");
    EXPECT_EQ(b, 65);
    b = 9;
    EXPECT_EQ(f.form->FindChar(b), "57");
    b = 15;
    EXPECT_EQ(f.form->FindChar(b), "70");
    b = 16; // not a digit value: returned unchanged
    EXPECT_EQ(f.form->FindChar(b), "16");
    EXPECT_EQ(b, 16);
    EXPECT_EQ(f.form->HexToString({0x0F}), "0F ");
}

TEST(DeviceTable, EveryModelByItsWholeIdentifierByte) {
    const std::pair<uint8_t, const char*> models[] = {
        {0x80, "ISD1730"},  {0x90, "ISD1720"},  {0xA0, "ISD1760"},  {0xA8, "ISD1750"},
        {0xB0, "ISD1740"},  {0xC0, "ISD17150"}, {0xC8, "ISD17120"}, {0xD0, "ISD1790"},
        {0xE0, "ISD17240"}, {0xE8, "ISD17210"}, {0xF0, "ISD17180"},
    };
    FormFixture f;
    int known = 0;
    for (int id = 0; id <= 255; ++id) {
        const QString name = f.form->DeviceType(uint8_t(id));
        if (f.form->DevKnown)
            ++known;
        else
            EXPECT_EQ(name, "未知器件") << id;
    }
    EXPECT_EQ(known, 11);
    for (const auto& [id, name] : models) {
        EXPECT_EQ(f.form->DeviceType(id), QLatin1String(name));
        EXPECT_TRUE(f.form->DevKnown);
    }
    EXPECT_EQ(f.form->DeviceType(0xA1), "未知器件") << "the whole byte is compared";
    EXPECT_FALSE(f.form->DevKnown);
}

namespace {
bool parse(const QStringList& args, LinkOptions& options, QString& error) {
    QCommandLineParser parser;
    addLinkOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("quillory")} + args)) {
        error = parser.errorText();
        return false;
    }
    return readLinkOptions(parser, options, &error);
}
} // namespace

TEST(LinkOptions, DefaultsAre1200Baud8N1WithoutFlowControlOrTrace) {
    LinkOptions o;
    QString error;
    ASSERT_TRUE(parse({}, o, error)) << error.toStdString();
    EXPECT_EQ(o.settings.baudRate, 1200);
    EXPECT_EQ(o.settings.dataBits, QSerialPort::Data8);
    EXPECT_EQ(o.settings.parity, QSerialPort::NoParity);
    EXPECT_EQ(o.settings.stopBits, QSerialPort::OneStop);
    EXPECT_EQ(o.settings.flowControl, QSerialPort::NoFlowControl);
    EXPECT_TRUE(o.tracePath.isEmpty());
#ifndef Q_OS_WIN
    EXPECT_EQ(o.settings.deviceFor(1), "/dev/ttyUSB0");
    EXPECT_EQ(o.settings.deviceFor(16), "/dev/ttyUSB15");
#endif
}

TEST(LinkOptions, EveryOptionIsRead) {
    LinkOptions o;
    QString error;
    ASSERT_TRUE(
        parse({"--port", "1=/dev/ttyUSB0", "--port", "3=COM7", "--baud", "9600", "--data-bits", "7",
               "--parity", "even", "--stop-bits", "1.5", "--flow-control", "hardware", "--trace", "-"},
              o, error))
        << error.toStdString();
    EXPECT_EQ(o.settings.deviceFor(1), "/dev/ttyUSB0");
    EXPECT_EQ(o.settings.deviceFor(3), "COM7");
    EXPECT_EQ(o.settings.baudRate, 9600);
    EXPECT_EQ(o.settings.dataBits, QSerialPort::Data7);
    EXPECT_EQ(o.settings.parity, QSerialPort::EvenParity);
    EXPECT_EQ(o.settings.stopBits, QSerialPort::OneAndHalfStop);
    EXPECT_EQ(o.settings.flowControl, QSerialPort::HardwareControl);
    EXPECT_EQ(o.tracePath, "-");
    ASSERT_TRUE(parse({"--parity", "space", "--stop-bits", "2", "--flow-control", "software"}, o, error));
    EXPECT_EQ(o.settings.parity, QSerialPort::SpaceParity);
    EXPECT_EQ(o.settings.stopBits, QSerialPort::TwoStop);
    EXPECT_EQ(o.settings.flowControl, QSerialPort::SoftwareControl);
}

TEST(LinkOptions, ABadValueIsRefusedNamingTheOption) {
    const std::pair<QStringList, const char*> bad[] = {
        {{"--port", "0=/dev/ttyS0"}, "--port"},
        {{"--port", "17=/dev/ttyS0"}, "--port"},
        {{"--port", "/dev/ttyS0"}, "--port"},
        {{"--port", "2="}, "--port"},
        {{"--port", "x=/dev/ttyS0"}, "--port"},
        {{"--baud", "fast"}, "--baud"},
        {{"--baud", "0"}, "--baud"},
        {{"--baud", "-9600"}, "--baud"},
        {{"--baud", "99999999999"}, "--baud"},
        {{"--data-bits", "9"}, "--data-bits"},
        {{"--parity", "sometimes"}, "--parity"},
        {{"--stop-bits", "3"}, "--stop-bits"},
        {{"--flow-control", "xon"}, "--flow-control"},
        {{"--trace", ""}, "--trace"},
    };
    for (const auto& [args, option] : bad) {
        SCOPED_TRACE(args.join(' ').toStdString());
        LinkOptions o;
        o.settings.baudRate = 4242;
        QString error;
        EXPECT_FALSE(parse(args, o, error));
        EXPECT_TRUE(error.contains(QLatin1String(option))) << error.toStdString();
        EXPECT_EQ(o.settings.baudRate, 4242) << "nothing is taken from a refused command line";
    }
}

TEST(LinkTrace, OneStampedLinePerByteChunkAndReply) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    LinkTrace trace(&out);
    const qint64 before = LinkTrace::nowUs();
    trace.sent(0x06);
    trace.received(QByteArray("\x12\x34\x00\x2C", 4));
    trace.decoded(0x06, QStringLiteral("RD_PLAY_PTR Play_Text \"00 2C \""));
    trace.note(QStringLiteral("closed"));
    const QStringList lines = QString::fromUtf8(out.data()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(" tx 06"));
    EXPECT_TRUE(lines[1].endsWith(" rx 4: 12 34 00 2C"));
    EXPECT_TRUE(lines[2].endsWith(" reply 06 RD_PLAY_PTR Play_Text \"00 2C \""));
    EXPECT_TRUE(lines[3].endsWith(" port closed"));
    qint64 last = before;
    for (const QString& line : lines) {
        bool ok = false;
        const qint64 us = line.section(' ', 0, 0).toLongLong(&ok);
        ASSERT_TRUE(ok) << line.toStdString();
        EXPECT_GE(us, last);
        last = us;
    }
}

TEST(LinkTrace, AFileThatCannotBeWrittenIsReported) {
    QString error;
    EXPECT_EQ(LinkTrace::open(QStringLiteral("/nonexistent-dir/trace.txt"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    const QString dir = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    const QString path = dir + QStringLiteral("/link-trace.txt");
    auto trace = LinkTrace::open(path, &error);
    ASSERT_NE(trace, nullptr) << error.toStdString();
    trace->sent(0x41);
    trace.reset();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().trimmed().endsWith(" tx 41"));
}
