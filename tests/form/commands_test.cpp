// The chip buttons on a window with fake controls (frames, lamps, reply lengths, refusals), then end
// to end with the product's serial port on a pseudo-terminal whose master plays the board.
#include "formfixture.h"
#include "link/qtserialport.h"
#include "ptyboard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Bench : FormFixture {
    Form1& w = *form;
    Bench() { w.Command16_Click(); }
    // Lets the transmitter finish the frame in transit; returns in hex what went out since the last call.
    QByteArray drain() {
        for (int i = 0; i < 300 && w.Timer1->isActive(); ++i)
            tick();
        return std::exchange(port->writes, {}).join().toHex();
    }
    // The lit ones among the fifteen lamps that CriDigClr governs, after lighting all if asked.
    QString lit(bool lightAll = false) {
        QString on;
        for (const ShapeArray* lamps : {&w.Bottmp, &w.Lift, &w.Right})
            for (const auto& [i, lamp] : lamps->items())
                if (lamp != &w.Bottmp(0)) {
                    lamp->setVisible(lamp->Visible() || lightAll);
                    on += lamp->Visible() ? lamp->objectName() : QString();
                }
        return on;
    }
};

} // namespace

TEST(CommandCatalogue, EachButtonSendsItsFrameAndSetsItsLampsFlagsAndReplyLength) {
    // lamp: the one lit afterwards; need: RinNeedCnt afterwards, -1 untouched (3 or 4 restart RinCnt).
    const std::tuple<QPushButton * Form1::*, const char*, const char*, int> catalogue[] = {
        {&Form1::devid_pu, "01", "Bottmp(3)", -1},   {&Form1::devid_id, "09", "Bottmp(1)", 3},
        {&Form1::devid_rst, "03", "Bottmp(4)", -1},  {&Form1::play, "40", "Lift(0)", -1},
        {&Form1::fwd, "48", "Lift(3)", -1},          {&Form1::erase, "42", "Lift(4)", -1},
        {&Form1::erase_all, "43", "Lift(5)", -1},    {&Form1::CurrentRowComm, "60", "Lift(6)", 3},
        {&Form1::rd_play_addr, "06", "Right(0)", 4}, {&Form1::rd_rec_addr, "08", "Right(1)", 4},
        {&Form1::rec, "41", "unchanged", 1},         {&Form1::stop, "02", "unchanged", 1},
        {&Form1::si_ok, "650d00", "", -1},
    };
    for (const auto& [button, frame, lamp, need] : catalogue) {
        // Closed, the frame is built but only the link's message comes; recording or not, rec restarts
        // the count.
        for (bool open : {true, false}) {
            SCOPED_TRACE(testing::Message() << frame << " open=" << open);
            Bench f;
            if (!open)
                f.w.Command16_Click(); // closes it again
            const QString all = f.lit(true);
            f.w.Bottmp(0).setVisible(open);
            f.w.RecOn = !open;
            f.w.RecTimeCnt = 800;
            f.w.RinCnt = f.w.RinNeedCnt = 7;
            (f.w.*button)->click();
            EXPECT_EQ(f.lit(), qstrcmp(lamp, "unchanged") ? lamp : all);
            EXPECT_EQ(f.w.Bottmp(0).Visible(), open || button == &Form1::si_ok);
            EXPECT_EQ(f.w.RecOn, button == &Form1::rec || (button != &Form1::stop && !open));
            EXPECT_EQ(f.w.RecTimeCnt, button == &Form1::rec ? 0 : 800);
            EXPECT_EQ(f.w.RinCnt, need > 1 ? 0 : 7);
            EXPECT_EQ(f.w.RinNeedCnt, need < 0 ? 7 : need);
            const auto* sendBuf = reinterpret_cast<const char*>(f.w.SendBuf.data());
            EXPECT_EQ(QByteArray(sendBuf, qsizetype(f.w.SendBuf.size())).toHex(), frame);
            EXPECT_EQ(f.drain(), open ? frame : "");
            EXPECT_EQ(f.boxes->shown.size(), open ? 0 : 1);
        }
    }
}

TEST(CommandCatalogue, AClickMidFrameRestartsWithTheNewFrame) {
    Bench f;
    f.w.si_ok->click();
    f.tick();
    f.tick();
    f.w.rd_rec_addr->click();
    EXPECT_EQ(f.w.SendCmd, 0x08);
    EXPECT_EQ(f.drain(), "650d08");
}

TEST(AddressCommands, WorkedExamplesGoOutByteForByteAndShortEntriesAreRefused) {
    const char* const cases[][3] = {
        {"01 23", "04 56", "01230456"}, {"00 10", "01 FF", "001001ff"}, {"0a ff", "1b 2c", "0aff1b2c"},
        {"1 2 3", "00 00", "01020000"}, {" 1 23", "12 3 ", "01231203"}, {"1 234", "G1 23", "01230123"},
        {"01234", "Text1", "0100e100"}, {"中1 23", "😀 12", "01231200"}, {"01 23", "12 3", "refused"},
        {"1", "01 23", "refused"},      {"", "", "refused (empty)"},
    };
    for (const auto& [start, end, tail] : cases) {
        SCOPED_TRACE(testing::Message() << start << " | " << end);
        const bool refused = QByteArray(tail).startsWith("refused");
        Bench f;
        for (QLineEdit* box : {f.w.St_Play_Text, f.w.St_Rec_Text, f.w.SetEraseText})
            box->setText(QString::fromUtf8(start));
        for (QLineEdit* box : {f.w.St_Play_Text1, f.w.St_Rec_Text1, f.w.SetEraseText1})
            box->setText(QString::fromUtf8(end));
        f.w.RinNeedCnt = 3;
        f.w.set_rec_addr->click(); // before a trial listen: nothing at all, not even the message
        EXPECT_EQ(std::tuple(int(f.w.RinNeedCnt), f.boxes->shown.size(), f.drain()),
                  std::tuple(3, 0, QByteArray()));
        f.w.TryListenFlag = true;
        const std::tuple<QPushButton*, const char*, QString, int> commands[] = {
            {f.w.set_play_addr, "80", "Right(2)", 5},
            {f.w.SetEraseAddrComm, "82", "Right(4)", 5},
            {f.w.set_rec_addr, "81", "Right(4)", 1}, // its lamp comes with the board's answer
        };
        for (const auto& [button, command, lamp, need] : commands) {
            f.w.RinCnt = f.w.RinNeedCnt = 3;
            button->click();
            EXPECT_EQ(f.lit(), lamp);
            EXPECT_EQ(f.w.RinNeedCnt, refused ? 5 : need); // a refused entry waits for an address reply
            EXPECT_EQ(f.w.RinCnt, 3);
            EXPECT_EQ(f.drain(), refused ? "" : command + QByteArray(tail));
        }
        EXPECT_EQ(f.boxes->shown.size(), refused ? 3 : 0);
        for (const auto& box : f.boxes->shown)
            EXPECT_TRUE(box.text == "数据格式非法" && box.caption == "错误" &&
                        box.icon == MessageBox::Icon::Critical);
        EXPECT_EQ(f.w.St_Play_Text->text(), QString::fromUtf8(start)); // not the parser's rewritten text
    }
}

TEST(AddressCommands, LongerEraseEntriesAreDroppedSilently) {
    for (const QString& end : {QStringLiteral("12 345"), QString(20000, u'9')}) {
        Bench f;
        f.w.SetEraseText->setText("01 23");
        f.w.SetEraseText1->setText(end);
        f.w.SetEraseAddrComm->click();
        EXPECT_EQ(std::tuple(int(f.w.RinNeedCnt), f.lit(), f.boxes->shown.size(), f.drain()),
                  std::tuple(5, QString("Right(4)"), 0, QByteArray()));
    }
}

TEST(AnalogPath, TheTwelveSettingsAtEveryVolumeStepAndWhatCountsAsOff) {
    constexpr auto off = Qt::Unchecked, on = Qt::Checked, grey = Qt::PartiallyChecked;
    // Source, monitor, speaker, and the frames at the volume steps 0 to 4. Only an exact list entry
    // selects a source; a greyed box counts as off.
    const std::tuple<const char*, Qt::CheckState, Qt::CheckState, const char*> rows[] = {
        {"Lin", off, off, "650d04 650d03 650d02 650d01 650d00"},
        {"Lin", off, on, "650c04 650c03 650c02 650c01 650c00"},
        {"Lin", on, off, "650d0c 650d0b 650d0a 650d09 650d08"},
        {"Lin", on, on, "650c0c 650c0b 650c0a 650c09 650c08"},
        {"Mic", off, off, "650d44 650d43 650d42 650d41 650d40"},
        {"Mic", off, on, "650c44 650c43 650c42 650c41 650c40"},
        {"Mic", on, off, "650d4c 650d4b 650d4a 650d49 650d48"},
        {"Mic", on, on, "650c4c 650c4b 650c4a 650c49 650c48"},
        {"LM", off, off, "650d14 650d13 650d12 650d11 650d10"},
        {"LM", off, on, "650c14 650c13 650c12 650c11 650c10"},
        {"LM", on, off, "650d1c 650d1b 650d1a 650d19 650d18"},
        {"LM", on, on, "650c1c 650c1b 650c1a 650c19 650c18"},
        {"mic", on, on, "650c0c 650c0b 650c0a 650c09 650c08"},
        {"LM ", off, off, "650d04 650d03 650d02 650d01 650d00"},
        {"", off, off, "650d04 650d03 650d02 650d01 650d00"},
        {"Mic", grey, grey, "650d44 650d43 650d42 650d41 650d40"}};
    Bench f;
    for (const auto& [source, monitor, speaker, frames] : rows)
        for (uint8_t step = 0; step <= 4; ++step) {
            f.w.sound_in->setEditText(QString::fromUtf8(source));
            f.w.SoundMon->setCheckState(monitor);
            f.w.SPKon->setCheckState(speaker);
            f.w.VolStep = step;
            f.w.si_ok->click();
            EXPECT_EQ(f.drain(), QByteArray(frames).split(' ')[step])
                << source << monitor << speaker << int(step);
        }
}

TEST(ChipOverPty, EachCommandFamilyGoesOutByteByByteNeverBeforeItsTick) {
    PtyBoard board;
    LinkSettings settings;
    settings.portDevices.insert(1, board.slavePath());
    Form1 w(Form1::Platform{std::make_unique<QtSerialPort>(settings), std::make_unique<FakeMediaPlayer>(),
                            std::make_unique<FakeFileDialog>(), std::make_unique<FakeMessageBox>()});
    w.Combo1->setEditText("1");
    w.Command16->click();
    w.SetEraseText->setText("0a ff");
    w.SetEraseText1->setText("1b 2c");
    w.sound_in->setCurrentText("Mic");
    w.SoundMon->setChecked(true);
    w.SPKon->setChecked(true);
    w.VoilceVal->click(); // step 4 -> 0 -> 1
    w.VoilceVal->click();
    const std::pair<QPushButton*, QByteArray> clicks[] = {
        {w.devid_pu, "01"}, {w.rd_play_addr, "06"}, {w.SetEraseAddrComm, "820aff1b2c"}, {w.si_ok, "650c4b"}};
    for (const auto& [button, frame] : clicks) {
        board.clearReceived();
        const qint64 clickUs = PtyBoard::nowUs();
        button->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return board.received().size() >= frame.size() / 2 && !w.Timer1->isActive(); }, 5000));
        QTest::qWait(60); // anything after the frame would show up here
        EXPECT_EQ(board.received().toHex(), frame);
        // Byte k leaves at the (k + 1)-th 50 ms tick after the click, or later; the timer keeps to 2 ms.
        for (size_t k = 0; k < board.arrivalUs().size(); ++k)
            EXPECT_GE(board.arrivalUs()[k] - clickUs, qint64(k + 1) * 50000 - 2000) << frame.data() << k;
    }
}
