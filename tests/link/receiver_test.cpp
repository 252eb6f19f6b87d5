// The reply receiver on the fake port: counting, splitting, the decoding table and its effects on
// lamps, flags and the player, bytes that arrive at awkward moments, and the loss of the device.
#include "formfixture.h"
#include "link/linktrace.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A window with its port open and a command handed over as the catalogue's handlers do.
struct Receiving : FormFixture {
    Receiving() { form->Command16_Click(); }
    void sendRead(uint8_t command, uint8_t replyLength) {
        form->RinCnt = 0;
        form->RinNeedCnt = replyLength;
        send(command);
    }
    void send(uint8_t command, uint8_t length = 1) {
        form->SendBuf.assign(length, 0);
        form->SendBuf[0] = command;
        form->Isd_Comm2_Send(length);
    }
    void litAll() {
        for (ShapeArray* lamps : {&form->Lift, &form->Right, &form->Bottmp})
            for (const auto& [index, shape] : lamps->items())
                shape->setVisible(true);
    }
    QList<int> lit(ShapeArray& lamps) const {
        QList<int> on;
        for (const auto& [index, shape] : lamps.items())
            if (shape->Visible())
                on.append(index);
        return on;
    }
};

} // namespace

TEST(Receiver, AReplySplitOneAndThreeIsDecodedOnceAfterTheSecondEvent) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    f.port->receive(bytes({0x12}));
    EXPECT_EQ(w.RinCnt, 1);
    EXPECT_EQ(w.Play_Text->text(), "");
    f.port->receive(bytes({0x34, 0x00, 0x2C}));
    EXPECT_EQ(w.Play_Text->text(), "00 2C ");
    EXPECT_EQ(w.RinCnt, 0);
    EXPECT_EQ(w.RinPos, 0);

    w.Play_Text->clear();
    f.sendRead(0x06, 4);
    f.port->receive(bytes({0x12, 0x34, 0x01, 0xFF}));
    EXPECT_EQ(w.Play_Text->text(), "01 FF ");
    EXPECT_EQ(f.port->rThreshold, 1) << "the receive event is on again after the reply";
    EXPECT_EQ(f.port->inputMode, 1);
}

TEST(Receiver, AddressRepliesFillTheirTextBoxes) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x08, 4);
    f.port->receive(bytes({0xAA, 0xBB, 0x01, 0x0A}));
    EXPECT_EQ(w.Rec_Text->text(), "01 0A ");
    f.sendRead(0x60, 3);
    f.port->receive(bytes({0x01, 0x2F, 0x77}));
    EXPECT_EQ(w.CurrentRow->text(), "01 2F") << "five characters: the last blank and byte 3 are not shown";
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(Receiver, DevidShowsTheModelOrUnknownDevice) {
    const std::pair<int, const char*> cases[] = {{0xA0, "ISD1760"}, {0x81, "未知器件"}, {0x00, "未知器件"}};
    for (const auto& [id, model] : cases) {
        SCOPED_TRACE(id);
        Receiving f;
        f.sendRead(0x09, 3);
        int countWhileShown = -1;
        f.boxes->onShow = [&](const FakeMessageBox::Shown&) { countWhileShown = f.form->RinCnt; };
        f.port->receive(bytes({0x00, 0x00, id}));
        EXPECT_EQ(countWhileShown, 3) << "the counters are reset once the box is dismissed";
        EXPECT_EQ(f.form->RinCnt, 0);
        ASSERT_EQ(f.boxes->shown.size(), 1);
        EXPECT_EQ(f.boxes->shown[0].text, QString::fromUtf8(model));
        EXPECT_EQ(f.boxes->shown[0].caption, "器件类型");
        EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Information);
    }
}

TEST(Receiver, SetPlayAndSetEraseRepliesShowAllFiveBytes) {
    for (int command : {0x80, 0x82}) {
        Receiving f;
        f.form->RinNeedCnt = 5;
        f.send(uint8_t(command), 5);
        f.port->receive(bytes({0x80, 0x00, 0x10, 0x01, 0xFF}));
        ASSERT_EQ(f.boxes->shown.size(), 1);
        EXPECT_EQ(f.boxes->shown[0].text, "80 00 10 01 FF ");
        EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Information);
        EXPECT_EQ(f.boxes->shown[0].caption, "") << "the application's title";
    }
}

TEST(Receiver, StopReplyPausesAPlayingPlayerAndEndsEverything) {
    Receiving f;
    Form1& w = *f.form;
    f.player->setCommand("Play");
    f.player->setUpdateInterval(200);
    w.RecOn = w.PlayerRun = w.ListenOn = true;
    f.litAll();
    w.RinNeedCnt = 1;
    f.send(0x02);
    f.port->receive(bytes({0x02}));
    EXPECT_EQ(f.player->command(), "Pause");
    EXPECT_EQ(f.player->updateInterval(), 0);
    EXPECT_EQ(f.lit(w.Lift), QList<int>{1});
    EXPECT_TRUE(f.lit(w.Right).isEmpty());
    EXPECT_EQ(f.lit(w.Bottmp), QList<int>{0}) << "the analog-path lamp keeps its state";
    EXPECT_FALSE(w.RecOn || w.PlayerRun || w.ListenOn);
}

TEST(Receiver, StopReplyLeavesAPausedPlayerAndTheLampsAlone) {
    Receiving f;
    Form1& w = *f.form;
    f.player->setCommand("Pause");
    w.RecOn = w.PlayerRun = w.ListenOn = true;
    w.Right(2).setVisible(true);
    w.RinNeedCnt = 1;
    f.send(0x02);
    f.port->receive(bytes({0x00}));
    EXPECT_EQ(f.player->commands, QStringList{"Pause"});
    EXPECT_EQ(f.lit(w.Right), QList<int>{2});
    EXPECT_FALSE(w.RecOn || w.PlayerRun || w.ListenOn);
}

TEST(Receiver, RecReplyStartsThePlayerUnlessItAlreadyPlays) {
    {
        Receiving f;
        Form1& w = *f.form;
        f.player->setCommand("Pause");
        f.litAll();
        w.RinNeedCnt = 1;
        f.send(0x41);
        f.port->receive(bytes({0x41}));
        EXPECT_EQ(f.player->commands, (QStringList{"Pause", "Play"}));
        EXPECT_EQ(f.player->updateInterval(), 200);
        EXPECT_EQ(f.lit(w.Lift), QList<int>{2});
        EXPECT_TRUE(w.RecOn && w.PlayerRun);
    }
    {
        Receiving f;
        Form1& w = *f.form;
        f.player->setCommand("Play");
        w.RinNeedCnt = 1;
        f.send(0x41);
        f.port->receive(bytes({0x41}));
        EXPECT_EQ(f.player->commands, QStringList{"Play"}) << "no new word for a playing player";
        EXPECT_EQ(f.lit(w.Lift), QList<int>{2});
        EXPECT_TRUE(w.RecOn && w.PlayerRun);
    }
}

TEST(Receiver, SetRecReplyWhileRecordingOnlyWarns) {
    Receiving f;
    Form1& w = *f.form;
    f.player->setCommand("Pause");
    w.RecOn = true;
    w.RinNeedCnt = 1;
    f.send(0x81, 5);
    f.port->receive(bytes({0x81}));
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, "请先停止上一次录音");
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::None);
    EXPECT_EQ(f.boxes->shown[0].caption, "");
    EXPECT_TRUE(f.lit(w.Right).isEmpty());
    EXPECT_EQ(f.player->commands, QStringList{"Pause"});
    EXPECT_TRUE(w.RecOn);
}

TEST(Receiver, SetRecReplyResumesOnlyAPausedPlayer) {
    for (const char* last : {"Stop", "Pause"}) {
        SCOPED_TRACE(last);
        Receiving f;
        Form1& w = *f.form;
        f.player->setCommand(last);
        w.PlayerRun = false;
        w.Lift(0).setVisible(true);
        w.RinNeedCnt = 1;
        f.send(0x81, 5);
        f.port->receive(bytes({0x81}));
        EXPECT_EQ(f.lit(w.Right), QList<int>{3});
        EXPECT_TRUE(f.lit(w.Lift).isEmpty());
        EXPECT_FALSE(w.RecOn || w.PlayerRun) << "flags are not the SET_REC reply's";
        if (QLatin1String(last) == QLatin1String("Pause")) {
            EXPECT_EQ(f.player->commands, (QStringList{"Pause", "Play"}));
            EXPECT_EQ(f.player->updateInterval(), 200);
        } else {
            EXPECT_EQ(f.player->commands, QStringList{"Stop"});
        }
    }
}

TEST(Receiver, APowerUpKeepsThePreviousReplyLength) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    f.port->receive(bytes({1, 2, 0x00, 0x2C}));
    // Power up sets no reply length: a four-byte answer is counted, dropped, the counters reset.
    f.send(0x01);
    f.port->receive(bytes({9, 9, 9, 9}));
    EXPECT_EQ(w.RinCnt, 0);
    EXPECT_EQ(w.Play_Text->text(), "00 2C ");
    EXPECT_TRUE(f.boxes->shown.isEmpty());
    // A one-byte answer stays counted and joins the next reply ...
    f.send(0x01);
    f.port->receive(bytes({7}));
    EXPECT_EQ(w.RinCnt, 1);
    f.send(0x40);
    f.port->receive(bytes({1, 2, 3}));
    EXPECT_EQ(w.RinCnt, 0) << "decoded as a reply to PLAY, which has no decoding";
    // ... unless the next operation is a read, which starts counting afresh.
    f.send(0x01);
    f.port->receive(bytes({7}));
    f.sendRead(0x08, 4);
    f.port->receive(bytes({1, 2, 0x03, 0x04}));
    EXPECT_EQ(w.Rec_Text->text(), "03 04 ");
}

TEST(Receiver, TooManyBytesInOneEventKeepCountingUntilAReadResets) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    f.port->receive(bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(w.RinCnt, 5);
    EXPECT_EQ(w.Play_Text->text(), "");
    f.port->receive(bytes({6}));
    EXPECT_EQ(w.RinCnt, 6);
    f.sendRead(0x06, 4);
    f.port->receive(bytes({1, 2, 0x33, 0x44}));
    EXPECT_EQ(w.Play_Text->text(), "33 44 ");
}

TEST(Receiver, AByteArrivingWhileDrainingIsStoredAndCounted) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    f.port->duringRead = [](FakeSerialPort& port, int reads) {
        if (reads == 3)
            port.receive(bytes({0x2C}));
    };
    f.port->receive(bytes({0x12, 0x34, 0x00}));
    EXPECT_EQ(w.Play_Text->text(), "00 2C ");
    EXPECT_EQ(w.RinCnt, 0);
    EXPECT_EQ(f.port->inBufferCount(), 0);
}

TEST(Receiver, BytesArrivingWhileABoxIsUpStartTheNextReply) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x09, 3);
    f.boxes->onShow = [&](const FakeMessageBox::Shown&) { f.port->receive(bytes({0x55})); };
    f.port->receive(bytes({0, 0, 0xA0}));
    ASSERT_EQ(f.boxes->shown.size(), 1) << "no receive event while the box is up";
    EXPECT_EQ(w.RinCnt, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.RinCnt, 1) << "the byte held back is counted once the box is gone";
    EXPECT_EQ(w.RinBuf[0], 0x55);
    EXPECT_EQ(f.port->inBufferCount(), 0);
}

TEST(Receiver, MoreThan255BytesWithoutAReplyAreDroppedNotWrapped) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    QByteArray junk;
    for (int i = 0; i < 300; ++i)
        junk.append(char(i));
    f.port->receive(junk);
    EXPECT_EQ(w.RinCnt, 45);
    EXPECT_EQ(w.RinPos, 45);
    EXPECT_EQ(w.RinBuf[0], uint8_t(255)) << "the 256th byte starts afresh";

    // After a pile of exactly 255 the board's reply is still understood.
    f.sendRead(0x06, 4);
    f.port->receive(junk.left(255));
    EXPECT_EQ(w.RinCnt, 255);
    f.port->receive(bytes({1, 2, 0x0C, 0x0D}));
    EXPECT_EQ(w.Play_Text->text(), "0C 0D ");
    EXPECT_EQ(w.RinCnt, 0);
}

TEST(Receiver, OtherPortEventsAndUnknownCommandsDoNothing) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    f.port->raiseEvent(3);
    EXPECT_EQ(w.RinCnt, 0);
    w.RinNeedCnt = 2;
    f.send(0x65, 3);
    f.litAll();
    f.port->receive(bytes({1, 2}));
    EXPECT_EQ(w.RinCnt, 0);
    EXPECT_EQ(w.RinPos, 0);
    EXPECT_EQ(f.lit(w.Lift).size(), qsizetype(w.Lift.items().size()));
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(Receiver, ClosingThePortKeepsAPartReplyCounted) {
    Receiving f;
    Form1& w = *f.form;
    f.sendRead(0x06, 4);
    f.port->receive(bytes({1, 2}));
    w.Command16_Click();
    EXPECT_EQ(w.RinCnt, 2);
    EXPECT_EQ(w.RinPos, 2);
}

TEST(Receiver, DecodedRepliesReachTheTrace) {
    Receiving f;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    LinkTrace trace(&out);
    f.port->setTrace(&trace);
    f.sendRead(0x09, 3);
    f.port->receive(bytes({0, 0, 0xE0}));
    f.sendRead(0x06, 4);
    f.port->receive(bytes({0, 0, 0x00, 0x2C}));
    const QString text = QString::fromUtf8(out.data());
    EXPECT_TRUE(text.contains(" reply 09 DEVID ISD17240\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(" reply 06 RD_PLAY_PTR Play_Text \"00 2C \"\n")) << text.toStdString();
}

TEST(Unplug, LosingTheDeviceClosesStopsAndTellsOnce) {
    Receiving f;
    Form1& w = *f.form;
    w.Bottmp(0).setVisible(true);
    f.send(0x80, 5);
    w.Timer1_Timer();
    f.port->loseDevice(QStringLiteral("Input/output error"));
    EXPECT_FALSE(f.port->portOpen());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.SendPos, 0);
    EXPECT_EQ(w.Command16->text(), "打开串口");
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(Qt::white));
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(f.boxes->shown[0].text.contains("fake1"));
    EXPECT_TRUE(f.boxes->shown[0].text.contains("Input/output error"));
    w.Timer1_Timer();
    EXPECT_EQ(f.port->writesWhileClosed, 0);
    // The console can open again at once.
    w.Command16_Click();
    EXPECT_TRUE(f.port->portOpen());
    EXPECT_EQ(w.Command16->text(), "关闭串口");
}

TEST(Unplug, ADeviceGoneAtAWriteLeavesTheTransmitterIdle) {
    Receiving f;
    Form1& w = *f.form;
    f.send(0x80, 5);
    w.Timer1_Timer();
    f.port->loseOnWrite = QStringLiteral("No such device");
    w.Timer1_Timer();
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.SendPos, 0);
    EXPECT_EQ(f.boxes->shown.size(), 1);
    w.Timer1_Timer();
    EXPECT_EQ(f.port->writes.size(), 1);
    EXPECT_EQ(f.port->writesWhileClosed, 0);
}

TEST(PortControl, Combo1TooltipNamesTheDeviceOfTheCurrentNumber) {
    FormFixture f;
    f.form->Combo1->setEditText("3");
    EXPECT_EQ(f.form->Combo1->toolTip(), "fake3");
    f.form->Combo1->setEditText("x");
    EXPECT_TRUE(f.form->Combo1->toolTip().contains("1 到 16"));
}
