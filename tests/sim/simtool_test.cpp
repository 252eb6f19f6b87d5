// The standalone isd1700-sim as another program meets it: started as a process, its device path
// read from its output, and a serial port opened on that device.
#include <QProcess>
#include <QSerialPort>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Starts the tool with the given options; the device path, or empty when it did not come up.
QString startTool(QProcess& tool, const QStringList& options) {
    tool.start(QStringLiteral(ISD1700_SIM), options);
    if (!tool.waitForStarted(3000) || !tool.waitForReadyRead(3000))
        return {};
    return QString::fromLocal8Bit(tool.readLine()).trimmed();
}

QByteArray ask(QSerialPort& port, const QByteArray& frame, int replyLength) {
    port.write(frame);
    port.flush();
    QByteArray reply;
    (void)QTest::qWaitFor(
        [&] {
            reply += port.readAll();
            return reply.size() >= replyLength;
        },
        3000);
    return reply;
}

} // namespace

TEST(Isd1700SimTool, AnswersOnItsDeviceAsTheNamedModel) {
    QProcess tool;
    const QString device = startTool(tool, {QStringLiteral("--model"), QStringLiteral("ISD1730"),
                                            QStringLiteral("--baud"), QStringLiteral("9600")});
    ASSERT_FALSE(device.isEmpty()) << tool.readAllStandardError().toStdString();
    QSerialPort port(device);
    port.setBaudRate(9600);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
    const QByteArray id = ask(port, QByteArray(1, char(0x09)), 3);
    ASSERT_EQ(id.size(), 3);
    EXPECT_EQ(uint8_t(id.at(2)), 0x80);
    // Power-up answers nothing by default; the pointer read after it answers four bytes.
    const QByteArray ptr = ask(port, QByteArrayLiteral("\x01\x06"), 4);
    EXPECT_EQ(ptr.mid(2), QByteArrayLiteral("\x00\x10"));
    port.close();
    tool.terminate();
    EXPECT_TRUE(tool.waitForFinished(3000));
    EXPECT_EQ(tool.exitCode(), 0);
}

TEST(Isd1700SimTool, AnswerAllAnswersThePowerUp) {
    QProcess tool;
    const QString device =
        startTool(tool, {QStringLiteral("--answer-all"), QStringLiteral("--baud"), QStringLiteral("115200")});
    ASSERT_FALSE(device.isEmpty());
    QSerialPort port(device);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    const QByteArray reply = ask(port, QByteArray(1, char(0x01)), 1);
    ASSERT_EQ(reply.size(), 1);
    EXPECT_EQ(uint8_t(reply.at(0)) & 0x04, 0x04); // PU
    tool.terminate();
    tool.waitForFinished(3000);
}

TEST(Isd1700SimTool, RefusesAnUnknownModel) {
    QProcess tool;
    tool.start(QStringLiteral(ISD1700_SIM), {QStringLiteral("--model"), QStringLiteral("ISD1700")});
    ASSERT_TRUE(tool.waitForFinished(3000));
    EXPECT_EQ(tool.exitCode(), 2);
    EXPECT_TRUE(tool.readAllStandardError().contains("unknown model"));
}
