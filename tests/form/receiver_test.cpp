// The reply receiver on the fake port: the decoding table and its effects, split and piled-up
// replies, bytes that arrive at awkward moments.
#include "formfixture.h"
#include "link/linktrace.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A window with its port open, handing over commands as the catalogue's handlers do.
struct Receiving : FormFixture {
    Receiving() { form->Command16_Click(); }
    void send(uint8_t command, uint8_t replyLength, uint8_t length = 1) {
        form->sendFrame(std::vector<uint8_t>(length, command), replyLength);
    }
    void receive(const char* hex) { port->receive(QByteArray::fromHex(hex)); }
    // Lamps lit ("*" for all), flags, the player's words and interval, boxes and texts in one line.
    QString state() const {
        QString s;
        for (const auto& [tag, lamps] :
             {std::pair{"L", &form->Lift}, {"R", &form->Right}, {"B", &form->Bottmp}}) {
            s += tag;
            for (int i = 0; i <= 6; ++i)
                s += lamps->contains(i) && (*lamps)(i).Visible() ? QString::number(i) : "";
        }
        s = s == "L0123456R01234B0134" ? "*" : s;
        s += QString(" %1%2%3 ").arg(form->RecOn).arg(form->PlayerRun).arg(form->ListenOn);
        s += player->commands.join(',') + '@' + QString::number(player->updateInterval());
        for (const auto& box : boxes->shown)
            s += QString(" [%1|%2|%3]").arg(box.text, box.caption).arg(int(box.icon));
        for (const QLineEdit* text : {form->Play_Text, form->Rec_Text, form->CurrentRow})
            s += text->text().isEmpty() ? "" : " '" + text->text() + "'";
        return s;
    }
};

} // namespace

TEST(Receiver, EveryReplyOfTheDecodingTable) {
    // Each row starts with every lamp lit and the player's interval at 7; "|" splits the reply.
    const struct {
        int command, need;
        const char *reply, *player;
        bool busy; // RecOn, PlayerRun and ListenOn before the reply
        const char* state;
    } rows[] = {
        {0x02, 1, "02", "Play", true, "L1RB0 000 Play,Pause@0"},
        {0x02, 1, "00", "Pause", true, "* 000 Pause@7"},
        {0x41, 1, "41", "Pause", false, "L2RB0 110 Pause,Play@200"},
        {0x41, 1, "41", "Play", false, "L2RB0 110 Play@7"},
        {0x81, 1, "81", "Pause", true, "* 111 Pause@7 [请先停止上一次录音||0]"},
        {0x81, 1, "81", "Stop", false, "LR3B0 000 Stop@7"},
        {0x81, 1, "81", "Pause", false, "LR3B0 000 Pause,Play@200"},
        {0x65, 2, "0102", "Stop", true, "* 111 Stop@7"}, // no decoding
        {0x06, 4, "12|34002c", "Stop", false, "* 000 Stop@7 '00 2C '"},
        {0x08, 4, "aabb010a", "Stop", false, "* 000 Stop@7 '01 0A '"},
        {0x60, 3, "012f77", "Stop", false, "* 000 Stop@7 '01 2F'"},
        {0x09, 3, "0000a0", "Stop", false, "* 000 Stop@7 [ISD1760|器件类型|2]"},
        {0x09, 3, "000081", "Stop", false, "* 000 Stop@7 [未知器件|器件类型|2]"},
        {0x80, 5, "80001001ff", "Stop", false, "* 000 Stop@7 [80 00 10 01 FF ||2]"},
        {0x82, 5, "820010|01ff", "Stop", false, "* 000 Stop@7 [82 00 10 01 FF ||2]"},
    };
    for (const auto& row : rows) {
        Receiving f;
        Form1& w = *f.form;
        SCOPED_TRACE(row.state);
        f.player->setCommand(row.player);
        f.player->setUpdateInterval(7);
        w.RecOn = w.PlayerRun = w.ListenOn = row.busy;
        for (ShapeArray* lamps : {&w.Lift, &w.Right, &w.Bottmp})
            for (const auto& [index, lamp] : lamps->items())
                lamp->setVisible(true);
        f.send(uint8_t(row.command), uint8_t(row.need), row.command >= 0x80 ? 5 : 1);
        QByteArray told;
        QObject::connect(&w, &Form1::replyDecoded, [&](uint8_t command, const QByteArray& reply) {
            told = QByteArray(1, char(command)).toHex() + ":" + reply.toHex();
        });
        for (const QByteArray& chunk : QByteArray(row.reply).split('|'))
            f.port->receive(QByteArray::fromHex(chunk));
        EXPECT_EQ(f.state(), QString::fromUtf8(row.state));
        EXPECT_EQ(told, QByteArray::number(row.command, 16).rightJustified(2, '0') + ":" +
                            QByteArray(row.reply).replace("|", ""));
        EXPECT_EQ(w.RinCnt + w.RinPos, 0);
        EXPECT_EQ(f.port->rThreshold, 1) << "the receive event is on again after the reply";
    }
}

TEST(Receiver, NoByteIsLostWhileDrainingOrWhileABoxIsUp) {
    Receiving f;
    f.send(0x06, 4);
    f.port->duringRead = [](FakeSerialPort& port, int reads) {
        if (reads == 3)
            port.receive(QByteArray(1, 0x2C));
    };
    f.receive("123400");
    EXPECT_EQ(f.form->Play_Text->text(), "00 2C ");
    f.port->duringRead = nullptr;
    f.send(0x09, 3);
    f.boxes->onShow = [&](const FakeMessageBox::Shown&) { f.receive("55"); };
    f.receive("0000a0");
    ASSERT_EQ(f.boxes->shown.size(), 1) << "no receive event while the box is up";
    QCoreApplication::processEvents();
    EXPECT_EQ(std::pair(int(f.form->RinCnt), int(f.form->RinBuf[0])), std::pair(1, 0x55)) << "held back";
    EXPECT_EQ(f.port->inBufferCount(), 0);
}

TEST(Receiver, APowerUpKeepsThePreviousReplyLengthAndPilesOver255BytesAreDropped) {
    Receiving f;
    Form1& w = *f.form;
    f.send(0x06, 4);
    f.receive("0102002c");
    w.SendBuf = {0x01}; // power up sets no reply length
    w.Isd_Comm2_Send(1);
    f.receive("09090909");
    EXPECT_EQ(w.RinCnt, 0) << "a four-byte answer is counted and dropped";
    w.Isd_Comm2_Send(1);
    f.receive("07");
    EXPECT_EQ(w.RinCnt, 1) << "a shorter one stays counted until a read starts afresh";
    EXPECT_EQ(w.Play_Text->text(), "00 2C ");
    QByteArray junk;
    for (int i = 0; i < 300; ++i)
        junk.append(char(i));
    f.send(0x06, 4);
    f.port->receive(junk);
    EXPECT_EQ(std::pair(int(w.RinCnt), int(w.RinPos)), std::pair(45, 45)) << "not wrapped";
    EXPECT_EQ(w.RinBuf[0], 255) << "the 256th byte starts afresh";
    f.send(0x06, 4);
    f.port->receive(junk.left(255));
    f.receive("01020c0d");
    EXPECT_EQ(w.Play_Text->text(), "0C 0D ") << "a reply after exactly 255 bytes is understood";
}

TEST(Receiver, AStrayByteThenAPauseThenARecordAnswerStartsThePlayer) {
    Receiving f;
    Form1& w = *f.form;
    QBuffer traced;
    traced.open(QIODevice::WriteOnly);
    LinkTrace trace(&traced);
    f.port->setTrace(&trace);
    f.receive("7f"); // noise as the board powers up, before any operation set a reply length
    EXPECT_EQ(w.RinCnt, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.RinCnt == 0; }, 5000)) << "the pile stays";
    EXPECT_EQ(w.RinPos, 0);
    EXPECT_TRUE(traced.data().contains(" drop 1 bytes: 0 expected, line quiet for 100 ms\n"))
        << traced.data().toStdString();
    w.rec_Click();
    f.receive("41");
    EXPECT_EQ(f.state(), QStringLiteral("L2RB 110 Play@200"));
}

TEST(Receiver, OnlyACountPastTheExpectedLengthIsDroppedWhenTheLineFallsQuiet) {
    Receiving f;
    Form1& w = *f.form;
    // A short count waits, however long, and still carries over into the next reply.
    f.send(0x06, 4);
    f.receive("12");
    QTest::qWait(3 * Form1::rinQuietMs);
    EXPECT_EQ(w.RinCnt, 1);
    w.SendBuf = {0x01}; // power up: the reply length stays 4
    w.Isd_Comm2_Send(1);
    f.receive("00");
    EXPECT_EQ(std::pair(int(w.RinCnt), int(w.RinPos)), std::pair(2, 1));
    // Past the length in force, the pile goes once the line is quiet.
    w.RinNeedCnt = 1;
    f.receive("5555");
    EXPECT_EQ(w.RinCnt, 4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.RinCnt == 0; }, 5000));
    EXPECT_EQ(w.RinPos, 0);
    // A read operation that resets a pile first leaves nothing for the quiet to drop.
    f.receive("5555");
    f.send(0x09, 3);
    f.receive("00");
    QTest::qWait(3 * Form1::rinQuietMs);
    EXPECT_EQ(std::pair(int(w.RinCnt), int(w.RinBuf[0])), std::pair(1, 0x00));
}

TEST(Receiver, ACountFromBeforeTheHandOverNeverShowsAnOlderReplysBytes) {
    Receiving f;
    Form1& w = *f.form;
    QBuffer traced;
    traced.open(QIODevice::WriteOnly);
    LinkTrace trace(&traced);
    f.port->setTrace(&trace);
    f.send(0x80, 5, 5);
    f.receive("8000100020");
    ASSERT_EQ(f.boxes->shown.size(), 1);
    // One byte of a read-pointer answer is counted, then a power-up keeps that count, then the
    // play range is set: the board's four-byte answer completes the count of five, but only four
    // of the bytes are this reply's.
    f.send(0x06, 4);
    f.receive("12");
    w.SendBuf = {0x01};
    w.Isd_Comm2_Send(1);
    w.St_Play_Text->setText("00 40");
    w.St_Play_Text1->setText("00 5c");
    w.set_play_addr_Click();
    f.receive("80004000");
    EXPECT_EQ(f.boxes->shown.size(), 1) << f.boxes->shown.last().text.toStdString();
    EXPECT_EQ(w.RinCnt + w.RinPos, 0);
    EXPECT_TRUE(traced.data().contains(" drop 5 bytes: reply to 80 completed by a count from before its "
                                       "hand-over, only 4 of its bytes since\n"))
        << traced.data().toStdString();
    // The next answer is understood as ever.
    f.receive("8000400050");
    ASSERT_EQ(f.boxes->shown.size(), 2);
    EXPECT_EQ(f.boxes->shown[1].text, "80 00 40 00 50 ");
}
