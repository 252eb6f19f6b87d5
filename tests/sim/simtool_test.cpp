// The standalone isd1700-sim as another program meets it, over its pseudo-terminal, and the
// programs' refusal of option values they cannot use.
#include <QProcess>
#include <QSerialPort>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

TEST(Isd1700SimTool, AnswersOnItsDeviceAsTheNamedModel) {
    QProcess tool;
    tool.start(QStringLiteral(ISD1700_SIM), {"--model", "ISD1730", "--answer-all", "--baud", "115200"});
    ASSERT_TRUE(tool.waitForStarted(3000) && tool.waitForReadyRead(3000)) << tool.errorString().toStdString();
    QSerialPort port(QString::fromLocal8Bit(tool.readLine()).trimmed());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
    // PU (answered only with --answer-all), DEVID, RD_PLAY_PTR.
    port.write(QByteArray::fromHex("01 09 06"));
    QByteArray reply;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (reply += port.readAll()).size() >= 8; }, 3000));
    EXPECT_EQ(reply.toHex(' '), "04 04 00 80 04 00 00 10");
    tool.terminate();
    EXPECT_TRUE(tool.waitForFinished(3000));
    EXPECT_EQ(tool.exitCode(), 0);
}

TEST(Isd1700SimTool, BadOptionValuesAreRefusedWithExitCode2) {
    for (auto [program, option, message] :
         {std::tuple{ISD1700_SIM, "--model=ISD1700", "unknown model"},
          {QUILLORY_APP, "--simulate-board=17", "is not a port number from 1 to 16"}}) {
        QProcess process;
        process.start(QString::fromLocal8Bit(program), {option});
        ASSERT_TRUE(process.waitForFinished(10000)) << program;
        EXPECT_EQ(process.exitCode(), 2) << program;
        EXPECT_TRUE(process.readAllStandardError().contains(message)) << program;
    }
}
