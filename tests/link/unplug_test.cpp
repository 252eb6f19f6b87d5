// The console on a real pseudo-terminal when the bench goes wrong: the adapter pulled out while
// the link is idle, while a frame goes out or while a reply comes in, its node removed or its line
// hung up, and ports that will not open (absent, held by another program, not ours to open).
#include "adapterconsole.h"

#include "form/form1.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

} // namespace

TEST(Unplug, AnAdapterPulledIdleMidFrameOrMidReplyClosesTheLinkByItselfOnceWithoutSpinning) {
    for (const char* moment : {"idle", "mid-frame", "mid-reply"}) {
        SCOPED_TRACE(moment);
        AdapterConsole c;
        ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
        if (moment == std::string("mid-frame")) {
            c.send({0x80, 0x00, 0x10, 0x00, 0x20}, 5);
            ASSERT_TRUE(waitFor([&] { return c.board->received().size() >= 2; }));
        } else if (moment == std::string("mid-reply")) {
            c.send({0x09}, 3);
            ASSERT_TRUE(waitFor([&] { return c.board->received().size() == 1; }));
            c.board->send(QByteArray("\x04\x00", 2));
            ASSERT_TRUE(waitFor([&] { return c.form->RinCnt == 2; }));
        }
        const qint64 runsBefore = c.port->readPathRuns();
        c.pull();
        ASSERT_TRUE(waitFor([&] { return !c.boxes->shown.isEmpty(); }));
        QTest::qWait(300); // room for a second box, or for the read path to run on
        // A read path that spun would have run tens of thousands of times by now.
        EXPECT_LE(c.port->readPathRuns() - runsBefore, 4);
        EXPECT_TRUE(c.closedAsAfterAClick());
        ASSERT_EQ(c.boxes->shown.size(), 1);
        const FakeMessageBox::Shown& box = c.boxes->shown[0];
        EXPECT_EQ(box.caption, "串口状态");
        EXPECT_EQ(box.icon, MessageBox::Icon::Critical);
        const QString head = QStringLiteral("串口 %1 已断开：").arg(c.node);
        EXPECT_TRUE(box.text.startsWith(head) && box.text.size() > head.size() + 4) << box.text.toStdString();
        if (moment == std::string("mid-reply")) {
            EXPECT_EQ(c.form->RinCnt, 2)
                << "counted bytes stay counted, as when the port is closed by a click";
        }

        c.plugIn();
        c.form->Command16_Click();
        EXPECT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
        EXPECT_EQ(c.form->Command16->text(), "关闭串口");
        EXPECT_EQ(c.boxes->shown.size(), 1);
    }
}

TEST(Unplug, ANodeRemovedOrALineHungUpIsNoticedByItselfAndToldWithItsOwnReason) {
    for (const bool hangUp : {false, true}) {
        SCOPED_TRACE(hangUp ? "line hung up, node kept" : "node removed, line up");
        AdapterConsole c;
        ASSERT_TRUE(c.port->portOpen());
        const qint64 runsBefore = c.port->readPathRuns();
        if (!hangUp)
            QFile::remove(c.node);
        else if (!c.board->hangUp())
            GTEST_SKIP() << "this system does not let the test hang a tty up (CAP_SYS_ADMIN)";
        ASSERT_TRUE(waitFor([&] { return !c.boxes->shown.isEmpty(); }));
        EXPECT_TRUE(c.closedAsAfterAClick());
        QTest::qWait(QtSerialPort::watchMs + 100);
        // A hung-up line reads end-of-file at once, for ever: the read path must not run on.
        EXPECT_LE(c.port->readPathRuns() - runsBefore, 4);
        ASSERT_EQ(c.boxes->shown.size(), 1);
        const QString reason = hangUp ? QStringLiteral("设备已挂断，适配器可能被拔出或对端已关闭")
                                      : QStringLiteral("设备已从系统中消失，适配器可能被拔出");
        EXPECT_EQ(c.boxes->shown[0].text.toStdString(),
                  QStringLiteral("串口 %1 已断开：%2").arg(c.node, reason).toStdString());
    }
}

TEST(PortErrors, AnAbsentOrABusyDeviceIsNamedWithTheSystemsReasonAndARemedy) {
    AdapterConsole c;
    c.form->Command16_Click(); // closed again
    c.form->Combo1->setEditText(QStringLiteral("2"));
    c.form->Command16_Click();
    ASSERT_EQ(c.boxes->shown.size(), 1);
    const FakeMessageBox::Shown absent = c.boxes->shown[0];
    EXPECT_EQ(absent.caption, "串口状态");
    EXPECT_EQ(absent.icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(absent.text.startsWith(QStringLiteral("无法打开串口 2（%1）：No such file or directory\n")
                                           .arg(c.dir.filePath(QStringLiteral("ttyNone")))))
        << absent.text.toStdString();
    const QList<QSerialPortInfo> present = QSerialPortInfo::availablePorts();
    if (present.isEmpty()) {
        EXPECT_TRUE(absent.text.endsWith("系统中没有任何串口设备：请检查适配器是否插好。"));
    }
    for (const QSerialPortInfo& info : present) {
        EXPECT_TRUE(absent.text.contains("\n" + info.systemLocation() + "（")) << absent.text.toStdString();
    }

    QSerialPort other(c.node);
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    c.form->Combo1->setEditText(QStringLiteral("1"));
    c.form->Command16_Click();
    ASSERT_EQ(c.boxes->shown.size(), 2);
    EXPECT_TRUE(c.boxes->shown[1].text.endsWith(
        QStringLiteral("\n%1 正被另一个程序占用：请先关闭那个程序，或让它释放该串口。").arg(c.node)))
        << c.boxes->shown[1].text.toStdString();
    EXPECT_FALSE(c.port->portOpen());
    EXPECT_EQ(c.form->Command16->text(), "打开串口");
}

TEST(PortErrors, OneDeviceUnderTwoNamesOpensOnceAndTheBoxNamesTheProgramHoldingIt) {
    // The console holds the device through its link; a second console names the node itself.
    AdapterConsole c;
    ASSERT_TRUE(c.port->portOpen());
    const QString pid = QString::number(::getpid());
    LinkSettings settings;
    settings.portDevices.insert(1, c.board->slavePath());
    QtSerialPort second(settings);
    second.setCommPort(1);
    EXPECT_FALSE(second.setPortOpen(true));
    EXPECT_EQ(second.openFailure(), OpenFailure::Busy);
    EXPECT_EQ(second.errorString(),
              QStringLiteral("设备正被另一个程序占用：link_tests（进程号 %1）").arg(pid));

    // The other way round: the node held, the console's link refused, and its box says by whom.
    c.form->Command16_Click();
    ASSERT_TRUE(second.setPortOpen(true)) << second.errorString().toStdString();
    c.form->Command16_Click();
    EXPECT_FALSE(c.port->portOpen());
    ASSERT_EQ(c.boxes->shown.size(), 1);
    EXPECT_EQ(c.boxes->shown[0].text,
              QStringLiteral("无法打开串口 1（%1）：设备正被另一个程序占用：link_tests（进程号 %2）\n"
                             "%1 正被另一个程序占用：请先关闭那个程序，或让它释放该串口。")
                  .arg(c.node, pid));
    EXPECT_EQ(c.form->Command16->text(), "打开串口");
    second.setPortOpen(false);

    // A program of another kind that only locks the device (no lock file), in a process of its
    // own: found by its lock, and named by its process number.
    int ready[2];
    int done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const QByteArray slave = QFile::encodeName(c.board->slavePath());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(done[1]); // so that the parent's closing ends the read below
        ::alarm(30);      // and a parent that died leaves no child behind
        const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
        [[maybe_unused]] ssize_t n = ::write(ready[1], &ok, 1);
        char end;
        n = ::read(done[0], &end, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    c.form->Command16_Click();
    EXPECT_FALSE(c.port->portOpen());
    ASSERT_EQ(c.boxes->shown.size(), 2);
    EXPECT_TRUE(c.boxes->shown[1].text.startsWith(
        QStringLiteral("无法打开串口 1（%1）：设备正被另一个程序占用：link_tests（进程号 %2）\n")
            .arg(c.node)
            .arg(child)))
        << c.boxes->shown[1].text.toStdString();
    ::close(done[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], done[0]})
        ::close(fd);

    // Released, it opens.
    c.form->Command16_Click();
    EXPECT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
}

TEST(PortErrors, ANodeThisUserMayNotOpenNamesItsGroupAndTheCommandThatAddsTheUser) {
    AdapterConsole c;
    c.form->Command16_Click();
    // Opened in a child that cannot open the node: an unprivileged user when run as root,
    // otherwise the same user with the node's permissions taken away.
    const QString node = c.node;
    QFile::setPermissions(c.dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther);
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
        } else if (!QFile::setPermissions(node, {})) {
            ::_exit(4);
        }
        LinkSettings settings;
        settings.portDevices.insert(1, node);
        QtSerialPort port(settings);
        port.setCommPort(1);
        const bool opened = port.setPortOpen(true);
        const QByteArray report = QByteArray::number(int(opened)) + ' ' +
                                  QByteArray::number(int(port.openFailure())) + '\n' +
                                  port.openRemedy().toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(channel[1], report.constData(), size_t(report.size()));
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not give up its rights";

    const QString group = QFileInfo(QFileInfo(node).canonicalFilePath()).group();
    ASSERT_TRUE(report.startsWith("0 " + QByteArray::number(int(OpenFailure::Permission)) + "\n"))
        << report.toStdString();
    const QString remedy = QString::fromUtf8(report.mid(report.indexOf('\n') + 1));
    EXPECT_TRUE(remedy.startsWith(QStringLiteral("%1 属于用户组 %2，").arg(node, group)))
        << remedy.toStdString();
    EXPECT_TRUE(remedy.contains(QStringLiteral("\nsudo usermod -aG %1 ").arg(group))) << remedy.toStdString();
}
