// The serial seam's contract, run alike against FakeSerialPort and against QtSerialPort on a
// pseudo-terminal: what the window relies on from MSComm1, so that the fake stays honest.
#include "fakes.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "ptyboard.h"

#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The fake, with port 2 naming a device that is not there.
class FakeRig {
public:
    static constexpr const char* name = "Fake";
    FakeRig() {
        m_port.absentPorts.insert(2);
        m_port.setCommPort(1);
    }
    SerialPort& port() { return m_port; }
    void boardSends(const QByteArray& bytes) { m_port.receive(bytes); }
    QByteArray boardGot() const { return m_port.writes.join(); }
    void holdElsewhere() { m_port.busyPorts.insert(1); }
    void release() { m_port.busyPorts.remove(1); }
    void unplug() { m_port.unplug(); }
    void plugBack() { m_port.plugBack(); }

private:
    FakeSerialPort m_port;
};

// The product's port on a pseudo-terminal whose slave is reached through a node of our own (a
// symbolic link), so that the adapter can be pulled out (the board's end closed, the node gone)
// and plugged back on the same node. Port 2 names a node that does not exist.
class PtyRig {
public:
    static constexpr const char* name = "QtOnPty";
    PtyRig() : m_node(m_dir.filePath(QStringLiteral("ttyBench"))) {
        plugBack();
        LinkSettings settings;
        settings.portDevices.insert(1, m_node);
        settings.portDevices.insert(2, m_dir.filePath(QStringLiteral("ttyNone")));
        m_port = std::make_unique<QtSerialPort>(settings);
        m_port->setCommPort(1);
    }
    SerialPort& port() { return *m_port; }
    void boardSends(const QByteArray& bytes) { m_board->send(bytes); }
    QByteArray boardGot() const { return m_board->received(); }
    void holdElsewhere() {
        m_other = std::make_unique<QSerialPort>(m_node);
        ASSERT_TRUE(m_other->open(QIODevice::ReadWrite)) << m_other->errorString().toStdString();
    }
    void release() { m_other.reset(); }
    void unplug() {
        m_board->closeMaster();
        QFile::remove(m_node);
    }
    void plugBack() {
        m_board = std::make_unique<PtyBoard>();
        ASSERT_TRUE(m_board->isOpen());
        ASSERT_TRUE(QFile::link(m_board->slavePath(), m_node));
    }

private:
    QTemporaryDir m_dir;
    QString m_node;
    std::unique_ptr<PtyBoard> m_board;
    std::unique_ptr<QtSerialPort> m_port;
    std::unique_ptr<QSerialPort> m_other;
};

struct RigNames {
    template <typename Rig> static std::string GetName(int) { return Rig::name; }
};

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

template <typename Rig> class SerialPortContract : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&port(), &SerialPort::OnComm, [this] {
            ++events;
            EXPECT_EQ(port().commEvent(), SerialPort::comEvReceive);
        });
        QObject::connect(&port(), &SerialPort::deviceLost, [this](const QString& reason) { lost << reason; });
    }
    SerialPort& port() { return rig.port(); }
    // Long enough for any receive event still on its way to arrive.
    static void settle() { QTest::qWait(150); }

    Rig rig;
    int events = 0;
    QStringList lost;
};

using Rigs = ::testing::Types<FakeRig, PtyRig>;
TYPED_TEST_SUITE(SerialPortContract, Rigs, RigNames);

} // namespace

TYPED_TEST(SerialPortContract, WaitingBytesRaiseTheReceiveEventAndInputReadsInputLenAtATime) {
    SerialPort& port = this->port();
    ASSERT_TRUE(port.setPortOpen(true)) << port.errorString().toStdString();
    this->rig.boardSends(QByteArray("\x01\x02\x03", 3));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 3; }));
    EXPECT_GE(this->events, 1);
    port.setInputLen(1);
    EXPECT_EQ(port.input(), QByteArray("\x01", 1));
    EXPECT_EQ(port.inBufferCount(), 2);
    port.setInputLen(0); // 0 reads everything waiting
    EXPECT_EQ(port.input(), QByteArray("\x02\x03", 2));
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_TRUE(port.input().isEmpty());
}

TYPED_TEST(SerialPortContract, AtThresholdZeroBytesAreHeldAndRaisingItAgainReportsThem) {
    SerialPort& port = this->port();
    ASSERT_TRUE(port.setPortOpen(true));
    port.setRThreshold(0);
    port.setRThreshold(1);
    this->settle();
    EXPECT_EQ(this->events, 0) << "nothing waiting, nothing to report";

    port.setRThreshold(0);
    this->rig.boardSends(QByteArray("\x55\x66", 2));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 2; }));
    this->settle();
    EXPECT_EQ(this->events, 0);
    port.setRThreshold(1);
    EXPECT_EQ(this->events, 0) << "raised at the next turn of the event loop, not inside the call";
    ASSERT_TRUE(waitFor([&] { return this->events == 1; }));
    EXPECT_EQ(port.inBufferCount(), 2);
}

TYPED_TEST(SerialPortContract, DiscardedInputIsGoneAndOutputGoesOutWholeAndInOrder) {
    SerialPort& port = this->port();
    ASSERT_TRUE(port.setPortOpen(true));
    port.setRThreshold(0);
    this->rig.boardSends(QByteArray("\x01\x02", 2));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 2; }));
    port.setInBufferCount(0);
    EXPECT_EQ(port.inBufferCount(), 0);
    port.setRThreshold(1);
    this->settle();
    EXPECT_EQ(this->events, 0);

    // A discard takes back only what has not left yet: each write waits for the line, as the
    // transmitter's 50 ms ticks do. Bytes a line discipline would translate pass untouched. The
    // time since the last write runs from the moment output() put it on the line.
    EXPECT_EQ(port.sinceLastWriteUs(), -1);
    port.setOutBufferCount(0);
    port.output(QByteArray("\x80", 1));
    const qint64 sinceUs = port.sinceLastWriteUs();
    EXPECT_GE(sinceUs, 0);
    EXPECT_LT(sinceUs, 10000);
    ASSERT_TRUE(waitFor([&] { return this->rig.boardGot().size() == 1; }));
    QTest::qWait(60);
    EXPECT_GE(port.sinceLastWriteUs(), 60000);
    port.setOutBufferCount(0);
    port.output(QByteArray("\x0A\x0D\x11\x13\x00", 5));
    ASSERT_TRUE(waitFor([&] { return this->rig.boardGot().size() >= 6; }));
    EXPECT_EQ(this->rig.boardGot(), QByteArray("\x80\x0A\x0D\x11\x13\x00", 6));
}

TYPED_TEST(SerialPortContract, OpenAndCloseErrorsLeaveThePortClosedWithAReasonAndARemedy) {
    SerialPort& port = this->port();
    EXPECT_TRUE(port.devicePresent(1));
    EXPECT_FALSE(port.devicePresent(2));
    port.setCommPort(2);
    EXPECT_FALSE(port.setPortOpen(true));
    EXPECT_FALSE(port.portOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
    EXPECT_EQ(port.openFailure(), OpenFailure::NoDevice);
    EXPECT_FALSE(port.openRemedy().isEmpty());

    port.setCommPort(1);
    this->rig.holdElsewhere();
    EXPECT_FALSE(port.setPortOpen(true));
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(port.openFailure(), OpenFailure::Busy);
    EXPECT_TRUE(port.openRemedy().contains(port.deviceFor(1))) << port.openRemedy().toStdString();
    this->rig.release();

    // Opening an open port and closing a closed one change nothing.
    ASSERT_TRUE(port.setPortOpen(true));
    EXPECT_TRUE(port.errorString().isEmpty());
    EXPECT_EQ(port.openFailure(), OpenFailure::None);
    EXPECT_TRUE(port.openRemedy().isEmpty());
    EXPECT_TRUE(port.setPortOpen(true));
    EXPECT_TRUE(port.portOpen());

    // Closing loses what was waiting; a closed port writes, reads and reports nothing.
    port.setRThreshold(0);
    this->rig.boardSends(QByteArray("\x11", 1));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 1; }));
    EXPECT_TRUE(port.setPortOpen(false));
    EXPECT_TRUE(port.setPortOpen(false));
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(port.inBufferCount(), 0);
    port.setRThreshold(1);
    port.setOutBufferCount(0);
    port.output(QByteArray("\x22", 1));
    this->rig.boardSends(QByteArray("\x33", 1));
    this->settle();
    EXPECT_TRUE(this->rig.boardGot().isEmpty());
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_TRUE(port.input().isEmpty());
    EXPECT_EQ(this->events, 0);
    EXPECT_TRUE(this->lost.isEmpty()) << "closing is not a loss";
}

TYPED_TEST(SerialPortContract, TheDeviceGoingAwayWhileIdleClosesThePortAndIsToldOnce) {
    SerialPort& port = this->port();
    const QString instance = port.deviceInstance(1);
    EXPECT_FALSE(instance.isEmpty());
    EXPECT_TRUE(port.deviceInstance(2).isEmpty());
    ASSERT_TRUE(port.setPortOpen(true));
    EXPECT_EQ(port.deviceInstance(1), instance) << "the same node while it stays";
    port.setRThreshold(0);
    this->rig.boardSends(QByteArray("\x44", 1));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 1; }));

    this->rig.unplug();
    EXPECT_TRUE(this->lost.isEmpty()) << "told at a turn of the event loop, never from inside a call";
    ASSERT_TRUE(waitFor([&] { return !this->lost.isEmpty(); }));
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_FALSE(this->lost[0].isEmpty());
    EXPECT_FALSE(port.devicePresent(1));
    EXPECT_TRUE(port.deviceInstance(1).isEmpty());
    port.setRThreshold(1);
    EXPECT_FALSE(port.setPortOpen(true));
    EXPECT_EQ(port.openFailure(), OpenFailure::NoDevice);
    this->settle();
    EXPECT_EQ(this->lost.size(), 1);
    EXPECT_EQ(this->events, 0);

    // Plugged back on the same node, it opens and works again.
    this->rig.plugBack();
    EXPECT_TRUE(port.devicePresent(1));
    EXPECT_FALSE(port.deviceInstance(1).isEmpty());
    ASSERT_TRUE(port.setPortOpen(true)) << port.errorString().toStdString();
    this->rig.boardSends(QByteArray("\x45", 1));
    ASSERT_TRUE(waitFor([&] { return this->events == 1; }));
    EXPECT_EQ(port.input(), QByteArray("\x45", 1));
    EXPECT_EQ(this->lost.size(), 1);
}

namespace {

// What the port tells the link's record, with the system's own words left out; chunks that the
// line happened to split are joined again.
struct PortEvents final : LinkTraceSink {
    QStringList seen;
    void record(const LinkEvent& e, const QByteArray&) override {
        using Kind = LinkEvent::Kind;
        const QString hex = QString::fromLatin1(e.bytes.toHex(' ').toUpper());
        switch (e.kind) {
        case Kind::Received:
            if (!seen.isEmpty() && seen.last().startsWith("rx "))
                seen.last() += ' ' + hex;
            else
                seen << "rx " + hex;
            break;
        case Kind::Sent:
            seen << "tx " + hex;
            break;
        case Kind::Opened:
            seen << QString("opened %1 %2 %3").arg(e.text).arg(e.count).arg(e.detail);
            break;
        case Kind::OpenFailed:
            seen << "cannot open " + e.text;
            break;
        case Kind::Closed:
            seen << "closed " + e.text;
            break;
        case Kind::UnreadAtClose:
            seen << QString("unread %1").arg(e.count);
            break;
        case Kind::InputDiscarded:
            seen << QString("discarded %1").arg(e.count);
            break;
        case Kind::Lost:
            seen << QString("lost %1: %2").arg(e.text, e.detail);
            break;
        default:
            seen << "other " + QString::fromUtf8(traceLine(e));
        }
    }
};

} // namespace

TYPED_TEST(SerialPortContract, ThePortTellsTheLinksRecordWhatHappensOnTheLine) {
    SerialPort& port = this->port();
    LinkTrace trace;
    PortEvents events;
    trace.addSink(&events);
    port.setTrace(&trace);
    const QString device = port.deviceFor(1);

    port.setCommPort(2);
    EXPECT_FALSE(port.setPortOpen(true));
    port.setCommPort(1);
    ASSERT_TRUE(port.setPortOpen(true));
    port.setRThreshold(0);
    this->rig.boardSends(QByteArray("\x01\x02\x03", 3));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 3; }));
    port.setInBufferCount(0);
    port.output(QByteArray("\x80", 1));
    port.output(QByteArray("\x0A\x0D", 2));
    this->rig.boardSends(QByteArray("\x44\x55", 2));
    ASSERT_TRUE(waitFor([&] { return port.inBufferCount() == 2; }));
    port.setPortOpen(false);
    port.setPortOpen(false);
    ASSERT_TRUE(port.setPortOpen(true));
    port.setRThreshold(1);
    this->rig.unplug();
    ASSERT_TRUE(waitFor([&] { return !this->lost.isEmpty(); }));

    EXPECT_EQ(
        events.seen.join('\n'),
        QStringList({"cannot open " + port.deviceFor(2), "opened " + device + " 1200 8N1", "rx 01 02 03",
                     "discarded 3", "tx 80", "tx 0A", "tx 0D", "rx 44 55", "unread 2", "closed " + device,
                     "opened " + device + " 1200 8N1", "lost " + device + ": device node gone"})
            .join('\n'));
    port.setTrace(nullptr);
}
