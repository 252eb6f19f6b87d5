// Reconnecting ("自动重连", --reconnect): off unless asked for; when on, a lost port is opened again
// once its device comes back, on the fakes and on a real pseudo-terminal whose link is replaced.
#include "adapterconsole.h"
#include "fakes.h"
#include "formfixture.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "link/reconnect.h"
#include "ptyboard.h"

#include "form/form1.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

const QColor white(0xFF, 0xFF, 0xFF);
const QColor green(0x00, 0xFF, 0x00);

bool shownOpen(const Form1& form) {
    return form.Command16->text() == "关闭串口" && form.Seril_StDig->fillColor() == green;
}
bool shownClosed(const Form1& form) {
    return form.Command16->text() == "打开串口" && form.Seril_StDig->fillColor() == white;
}

// The window on the fakes with port 1 open.
struct OpenOnFakes : FormFixture {
    explicit OpenOnFakes(bool reconnect) {
        form->reconnectAction->setChecked(reconnect);
        form->Combo1->setEditText(QStringLiteral("1"));
        form->Command16_Click();
    }
};

} // namespace

TEST(Reconnect, IsACheckableEntryOfTheWindowsContextMenuAndOffAtStartUp) {
    OpenOnFakes c(false);
    ASSERT_NE(c.form->reconnectAction, nullptr);
    EXPECT_EQ(c.form->reconnectAction->text(), "自动重连");
    EXPECT_TRUE(c.form->reconnectAction->isCheckable());
    EXPECT_FALSE(c.form->reconnectAction->isChecked());
    EXPECT_EQ(c.form->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(c.form->actions().contains(c.form->reconnectAction));

    // Off, a loss is told and nothing more: the device coming back is not opened.
    c.boxes->onShow = [&](const FakeMessageBox::Shown&) { c.port->plugBack(); };
    c.port->unplug();
    ASSERT_TRUE(waitFor([&] { return c.boxes->shown.size() == 1; }));
    QTest::qWait(3 * Reconnector::lookMs);
    EXPECT_FALSE(c.port->portOpen());
    EXPECT_FALSE(c.form->reconnector->isWaiting());
    EXPECT_EQ(c.form->reconnector->looks(), 0);
    EXPECT_FALSE(c.boxes->shown[0].takenDown);
}

TEST(Reconnect, TheDeviceBackOpensThePortAsAClickWouldAndTakesTheLossBoxDown) {
    OpenOnFakes c(true);
    c.form->Bottmp(0).setVisible(true);
    // A frame cut off by the loss: one byte of five went out.
    c.form->sendFrame(std::vector<uint8_t>{0x80, 0x01, 0x02, 0x03, 0x04}, 5);
    ASSERT_TRUE(waitFor([&] { return c.port->writes.size() == 1; }));
    bool sawItOpenUnderTheBox = false;
    // The operator leaves the loss box up; the console takes it down once the port is open.
    c.boxes->onShow = [&](const FakeMessageBox::Shown&) {
        EXPECT_TRUE(shownClosed(*c.form));
        EXPECT_TRUE(c.form->reconnector->isWaiting());
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->looks() >= 2; }));
        EXPECT_EQ(c.form->reconnector->openAttempts(), 0) << "nothing to open while the device is absent";
        c.form->Combo1->setEditText(QStringLiteral("5")); // the lost port comes back, not the one shown now
        c.port->plugBack();
        ASSERT_TRUE(waitFor([&] { return !c.boxes->isUp(1); }));
        sawItOpenUnderTheBox = c.port->portOpen() && shownOpen(*c.form);
    };
    c.port->unplug();
    ASSERT_TRUE(waitFor([&] { return c.boxes->shown.size() == 1 && !c.boxes->isUp(1); }));
    EXPECT_TRUE(sawItOpenUnderTheBox);
    EXPECT_TRUE(c.boxes->shown[0].takenDown);
    EXPECT_EQ(c.boxes->shown[0].caption, "串口状态");
    EXPECT_EQ(c.port->openedPort, 1);
    EXPECT_TRUE(shownOpen(*c.form));
    EXPECT_FALSE(c.form->Bottmp(0).isVisible());
    EXPECT_FALSE(c.form->reconnector->isWaiting());
    EXPECT_EQ(c.form->reconnector->openAttempts(), 1);

    QTest::qWait(300);
    EXPECT_EQ(c.port->writes.size(), 1) << "the cut-off frame is not resent";
    EXPECT_FALSE(c.form->Timer1->isActive());

    // Lost again, the box dismissed at once: reopened all the same, no box taken down.
    c.boxes->onShow = nullptr;
    c.port->unplug();
    ASSERT_TRUE(waitFor([&] { return c.boxes->shown.size() == 2; }));
    c.port->plugBack();
    ASSERT_TRUE(waitFor([&] { return c.port->portOpen(); }));
    EXPECT_TRUE(shownOpen(*c.form));
    EXPECT_FALSE(c.boxes->shown[1].takenDown);
    EXPECT_EQ(c.boxes->shown.size(), 2);
}

TEST(Reconnect, ADeviceStillThereIsNotOpenedAgainAndTheOperatorOrTheWindowEndsTheWait) {
    // Lost without the device going (reads failing on a node that stays): opening it again would
    // fail again, so it waits for the device to go and come back.
    {
        OpenOnFakes c(true);
        c.port->loseDevice(QStringLiteral("reads keep failing"));
        ASSERT_TRUE(waitFor([&] { return c.boxes->shown.size() == 1; }));
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->looks() >= 3; }));
        EXPECT_EQ(c.form->reconnector->openAttempts(), 0);
        EXPECT_FALSE(c.port->portOpen());
        c.port->unplug();
        const qint64 looks = c.form->reconnector->looks();
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->looks() > looks; }));
        c.port->plugBack();
        ASSERT_TRUE(waitFor([&] { return c.port->portOpen(); }));
    }
    // Pressing Command16 while waiting: the operator's click opens what Combo1 names, and the
    // wait is over.
    {
        OpenOnFakes c(true);
        c.port->unplug();
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->isWaiting(); }));
        c.form->Combo1->setEditText(QStringLiteral("2"));
        c.form->Command16_Click();
        EXPECT_FALSE(c.form->reconnector->isWaiting());
        EXPECT_EQ(c.port->openedPort, 2);
        c.form->Command16_Click(); // closed by the operator
        c.port->setCommPort(1);
        c.port->plugBack();
        const qint64 looks = c.form->reconnector->looks();
        QTest::qWait(3 * Reconnector::lookMs);
        EXPECT_FALSE(c.port->portOpen());
        EXPECT_EQ(c.form->reconnector->looks(), looks);
    }
    // Turning it off ends the wait; closing the window ends it too.
    {
        OpenOnFakes c(true);
        c.port->unplug();
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->isWaiting(); }));
        c.form->reconnectAction->setChecked(false);
        EXPECT_FALSE(c.form->reconnector->isWaiting());
    }
    {
        OpenOnFakes c(true);
        c.port->unplug();
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->isWaiting(); }));
        c.form->close();
        EXPECT_FALSE(c.form->reconnector->isWaiting());
    }
}

TEST(Reconnect, TheRealBoxTakenDownReturnsFromItsModalLoopAndLeavesOthersAlone) {
    QtMessageBox boxes;
    EXPECT_EQ(boxes.shownCount(), 0u);
    boxes.close(1); // not shown yet: nothing happens
    QTimer::singleShot(50, [&] { boxes.close(1); });
    boxes.show(QStringLiteral("串口已断开"), MessageBox::Icon::Critical, QStringLiteral("串口状态"));
    EXPECT_EQ(boxes.shownCount(), 1u);
    // Box 1 is gone: asking for it again leaves box 2 up until its own number is asked for.
    QTimer::singleShot(50, [&] {
        boxes.close(1);
        QTimer::singleShot(50, [&] { boxes.close(2); });
    });
    boxes.show(QStringLiteral("第二个"), MessageBox::Icon::None, QString());
    EXPECT_EQ(boxes.shownCount(), 2u);
}

TEST(Reconnect, OnAPtyWhoseLinkIsReplacedTheLinkIsLostBackOpenAndAFrameGetsThrough) {
    AdapterConsole c(AdapterConsole::Reconnect::On);
    ASSERT_TRUE(c.port->portOpen()) << c.port->errorString().toStdString();
    c.boxes->onShow = [&](const FakeMessageBox::Shown& box) {
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("串口 %1 已断开：").arg(c.node)));
        EXPECT_TRUE(shownClosed(*c.form));
        // Seen absent at least once, then back as a new pty behind the same link.
        ASSERT_TRUE(waitFor([&] { return c.form->reconnector->looks() >= 1; }));
        c.plugIn();
        ASSERT_TRUE(waitFor([&] { return !c.boxes->isUp(1); }));
    };
    c.pull();
    ASSERT_TRUE(waitFor([&] { return c.boxes->shown.size() == 1 && !c.boxes->isUp(1); }));
    EXPECT_TRUE(c.boxes->shown[0].takenDown);
    EXPECT_TRUE(c.port->portOpen());
    EXPECT_TRUE(shownOpen(*c.form));
    const QString traced = QString::fromUtf8(c.traceText.data());
    EXPECT_TRUE(traced.contains(QStringLiteral("reconnected %1").arg(c.node))) << traced.toStdString();

    // RD_PLAY_PTR goes out on the new pty and its answer is decoded.
    c.form->rd_play_addr_Click();
    ASSERT_TRUE(waitFor([&] { return c.board->received().size() == 1; }));
    EXPECT_EQ(c.board->received(), QByteArray("\x06", 1));
    c.board->send(QByteArray("\x00\x00\x00\x2C", 4));
    ASSERT_TRUE(waitFor([&] { return c.form->Play_Text->text() == "00 2C "; }));
    EXPECT_EQ(c.boxes->shown.size(), 1);
}

TEST(Reconnect, ADeviceThatNeverComesBackIsLookedForAtMostTwiceASecondAndNothingIsOpened) {
    AdapterConsole c(AdapterConsole::Reconnect::On);
    ASSERT_TRUE(c.port->portOpen());
    c.pull();
    ASSERT_TRUE(waitFor([&] { return c.form->reconnector->isWaiting(); }));
    const qint64 readPathRuns = c.port->readPathRuns();
    const qint64 looksBefore = c.form->reconnector->looks();
    QElapsedTimer waited;
    waited.start();
    QTest::qWait(2500);
    const qint64 looks = c.form->reconnector->looks() - looksBefore;
    // A look every 500 ms at most: a busy loop would look thousands of times.
    EXPECT_GE(looks, 1);
    EXPECT_LE(looks, waited.elapsed() / Reconnector::lookMs + 1);
    EXPECT_EQ(c.form->reconnector->openAttempts(), 0);
    EXPECT_FALSE(c.port->portOpen());
    EXPECT_EQ(c.port->readPathRuns(), readPathRuns);
    EXPECT_TRUE(shownClosed(*c.form));
    EXPECT_TRUE(c.form->reconnector->isWaiting());
}
