// quillory --list-ports as a person runs it: every port the system reports, with the port number
// that opens it under the default mapping and under --port, then exit 0 without a window.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString listPorts(const QStringList& options, int* exitCode) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY")); // no window system is needed to list ports
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUILLORY_APP), QStringList{QStringLiteral("--list-ports")} + options);
    if (!process.waitForFinished(20000))
        return QStringLiteral("(did not finish)");
    *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace

TEST(ListPorts, EveryReportedPortWithThePortNumberThatOpensIt) {
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    int exitCode = -1;
    const QString plain = listPorts({}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    if (ports.isEmpty()) {
        EXPECT_EQ(plain, "No serial ports found.\n");
        GTEST_SKIP() << "this system reports no serial port to map";
    }
    for (const QSerialPortInfo& info : ports)
        EXPECT_TRUE(plain.contains("\n" + info.systemLocation() + "  ")) << plain.toStdString();

    // The first port mapped by name, the last through a link of its own, as /dev/serial/by-id does.
    QTemporaryDir dir;
    const QString byId = dir.filePath(QStringLiteral("usb-board-if00"));
    ASSERT_TRUE(QFile::link(ports.last().systemLocation(), byId));
    const QString mapped = listPorts({QStringLiteral("--port"), "3=" + ports.first().systemLocation(),
                                      QStringLiteral("--port"), "12=" + byId},
                                     &exitCode);
    EXPECT_EQ(exitCode, 0);
    // Other numbers may open the same device under the default mapping (/dev/ttyUSB<N-1>).
    const auto numbersOf = [&mapped](const QString& location) {
        const QRegularExpression line("\n" + QRegularExpression::escape(location) + "  port ([0-9, ]+)\n");
        return line.match(mapped).captured(1).split(", ");
    };
    EXPECT_TRUE(numbersOf(ports.first().systemLocation()).contains("3")) << mapped.toStdString();
    EXPECT_TRUE(numbersOf(ports.last().systemLocation()).contains("12")) << mapped.toStdString();
}
