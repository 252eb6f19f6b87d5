// The chip buttons on a window with fake controls: frames, lamps, reply lengths, refusals.
#include "formfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct OpenForm : FormFixture {
    OpenForm() { form->Command16_Click(); }

    // Lets the transmitter finish the frame in transit, tick by tick.
    QByteArray drain() {
        for (int i = 0; i < 300 && form->Timer1->isActive(); ++i)
            form->Timer1_Timer();
        QByteArray all;
        for (const QByteArray& w : port->writes)
            all += w;
        return all;
    }
};

QByteArray bytes(std::initializer_list<uint8_t> list) {
    QByteArray out;
    for (uint8_t b : list)
        out += char(b);
    return out;
}

// The fifteen lamps that CriDigClr governs.
std::vector<Shape*> chipLamps(Form1& w) {
    std::vector<Shape*> lamps;
    for (int i : {1, 3, 4})
        lamps.push_back(&w.Bottmp(i));
    for (int i = 0; i <= 6; ++i)
        lamps.push_back(&w.Lift(i));
    for (int i = 0; i <= 4; ++i)
        lamps.push_back(&w.Right(i));
    return lamps;
}

std::vector<QString> litLamps(Form1& w) {
    std::vector<QString> lit;
    for (Shape* lamp : chipLamps(w))
        if (lamp->Visible())
            lit.push_back(lamp->objectName());
    return lit;
}

void lightAll(Form1& w) {
    for (Shape* lamp : chipLamps(w))
        lamp->setVisible(true);
}

struct SingleByte {
    const char* name;
    void (Form1::*handler)();
    uint8_t frame;
    const char* lamp;
    int replyLength; // -1: RinCnt and RinNeedCnt untouched
};

const SingleByte catalogue[] = {
    {"devid_pu", &Form1::devid_pu_Click, 0x01, "Bottmp(3)", -1},
    {"devid_id", &Form1::devid_id_Click, 0x09, "Bottmp(1)", 3},
    {"devid_rst", &Form1::devid_rst_Click, 0x03, "Bottmp(4)", -1},
    {"play", &Form1::play_Click, 0x40, "Lift(0)", -1},
    {"fwd", &Form1::fwd_Click, 0x48, "Lift(3)", -1},
    {"erase", &Form1::erase_Click, 0x42, "Lift(4)", -1},
    {"erase_all", &Form1::erase_all_Click, 0x43, "Lift(5)", -1},
    {"CurrentRowComm", &Form1::CurrentRowComm_Click, 0x60, "Lift(6)", 3},
    {"rd_play_addr", &Form1::rd_play_addr_Click, 0x06, "Right(0)", 4},
    {"rd_rec_addr", &Form1::rd_rec_addr_Click, 0x08, "Right(1)", 4},
};

} // namespace

TEST(CommandCatalogue, EachButtonSendsItsByteLightsOnlyItsLampAndSetsTheReplyLength) {
    for (const SingleByte& c : catalogue) {
        for (bool analogLit : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << " Bottmp(0)=" << analogLit);
            OpenForm f;
            Form1& w = *f.form;
            lightAll(w);
            w.Bottmp(0).setVisible(analogLit);
            w.SendBuf = {0x80, 1, 2, 3, 4};
            w.RinCnt = 7;
            w.RinNeedCnt = 9;
            (w.*c.handler)();
            EXPECT_EQ(litLamps(w), std::vector<QString>{QString::fromLatin1(c.lamp)});
            EXPECT_EQ(w.Bottmp(0).Visible(), analogLit);
            EXPECT_EQ(w.SendBuf, std::vector<uint8_t>{c.frame});
            EXPECT_EQ(w.SendCmd, c.frame);
            EXPECT_EQ(w.RinCnt, c.replyLength < 0 ? 7 : 0);
            EXPECT_EQ(w.RinNeedCnt, c.replyLength < 0 ? 9 : c.replyLength);
            EXPECT_EQ(f.drain(), bytes({c.frame}));
            EXPECT_TRUE(f.boxes->shown.isEmpty());
        }
    }
}

TEST(CommandCatalogue, WithThePortClosedTheLampStillLightsAndNothingGoesOut) {
    for (const SingleByte& c : catalogue) {
        SCOPED_TRACE(c.name);
        FormFixture f;
        Form1& w = *f.form;
        w.RinCnt = 2;
        (w.*c.handler)();
        EXPECT_EQ(litLamps(w), std::vector<QString>{QString::fromLatin1(c.lamp)});
        ASSERT_EQ(f.boxes->shown.size(), 1);
        EXPECT_EQ(f.boxes->shown[0].text, "串口没打开");
        EXPECT_EQ(f.boxes->shown[0].caption, "串口状态");
        EXPECT_EQ(w.RinCnt, c.replyLength < 0 ? 2 : 0);
        EXPECT_FALSE(w.Timer1->isActive());
        EXPECT_TRUE(f.port->writes.isEmpty());
    }
}

TEST(CommandCatalogue, RecordAndStopLeaveTheLampsAndDriveTheRecordingFlag) {
    OpenForm f;
    Form1& w = *f.form;
    w.Lift(3).setVisible(true);
    w.RinCnt = 2;

    w.RecTimeCnt = 12345;
    w.rec_Click();
    EXPECT_TRUE(w.RecOn);
    EXPECT_EQ(w.RecTimeCnt, 0);
    EXPECT_EQ(w.RinNeedCnt, 1);
    EXPECT_EQ(w.RinCnt, 2);
    EXPECT_EQ(f.drain(), bytes({0x41}));

    // A second press restarts the count and sends again.
    w.RecTimeCnt = 800;
    w.rec_Click();
    EXPECT_TRUE(w.RecOn);
    EXPECT_EQ(w.RecTimeCnt, 0);
    EXPECT_EQ(f.drain(), bytes({0x41, 0x41}));

    w.RinNeedCnt = 4;
    w.stop_Click();
    EXPECT_FALSE(w.RecOn);
    EXPECT_EQ(w.RinNeedCnt, 1);
    EXPECT_EQ(w.RinCnt, 2);
    EXPECT_EQ(f.drain(), bytes({0x41, 0x41, 0x02}));

    // Stopping with nothing recording still goes to the board.
    w.stop_Click();
    EXPECT_FALSE(w.RecOn);
    EXPECT_EQ(f.drain(), bytes({0x41, 0x41, 0x02, 0x02}));
    EXPECT_EQ(litLamps(w), std::vector<QString>{"Lift(3)"});
}

TEST(CommandCatalogue, AClickMidFrameRestartsWithTheNewFrame) {
    OpenForm f;
    Form1& w = *f.form;
    w.St_Play_Text->setText("01 23");
    w.St_Play_Text1->setText("04 56");
    w.set_play_addr_Click();
    w.Timer1_Timer();
    w.Timer1_Timer();
    w.rd_rec_addr_Click();
    EXPECT_EQ(w.SendCmd, 0x08);
    EXPECT_EQ(w.RinNeedCnt, 4);
    EXPECT_EQ(f.drain(), bytes({0x80, 0x01, 0x08}));
    EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(1)"});
}

// ---- Address commands ----

TEST(AddressCommands, WorkedExamplesGoOutByteForByte) {
    struct Case {
        const char* start;
        const char* end;
        QByteArray tail; // the four address bytes
    };
    const Case cases[] = {
        {"01 23", "04 56", bytes({0x01, 0x23, 0x04, 0x56})},
        {"00 10", "01 FF", bytes({0x00, 0x10, 0x01, 0xFF})},
        {"0a ff", "1b 2c", bytes({0x0A, 0xFF, 0x1B, 0x2C})},
        {"1 2 3", "00 00", bytes({0x01, 0x02, 0x00, 0x00})},
        {" 1 23", "12 3 ", bytes({0x01, 0x23, 0x12, 0x03})},
        {"1 234", "G1 23", bytes({0x01, 0x23, 0x01, 0x23})},
        {"01234", "Text1", bytes({0x01, 0x00, 0xE1, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " | " << c.end);
        OpenForm f;
        Form1& w = *f.form;
        w.TryListenFlag = true;
        const QString start = QString::fromLatin1(c.start);
        const QString end = QString::fromLatin1(c.end);
        w.St_Play_Text->setText(start);
        w.St_Play_Text1->setText(end);
        w.St_Rec_Text->setText(start);
        w.St_Rec_Text1->setText(end);
        w.SetEraseText->setText(start);
        w.SetEraseText1->setText(end);

        w.Bottmp(0).setVisible(true);
        w.set_play_addr_Click();
        EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(2)"});
        EXPECT_EQ(w.RinNeedCnt, 5);
        EXPECT_EQ(f.drain(), bytes({0x80}) + c.tail);
        f.port->writes.clear();

        w.SetEraseAddrComm_Click();
        EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(4)"});
        EXPECT_EQ(w.RinNeedCnt, 5);
        EXPECT_EQ(f.drain(), bytes({0x82}) + c.tail);
        f.port->writes.clear();

        // The record range lights its lamp only when the board answers.
        w.RinCnt = 3;
        w.set_rec_addr_Click();
        EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(4)"});
        EXPECT_TRUE(w.Bottmp(0).Visible());
        EXPECT_EQ(w.RinNeedCnt, 1);
        EXPECT_EQ(w.RinCnt, 3);
        EXPECT_EQ(f.drain(), bytes({0x81}) + c.tail);
        EXPECT_TRUE(f.boxes->shown.isEmpty());
        // The boxes show what the operator typed, not the parser's rewritten text.
        EXPECT_EQ(w.St_Play_Text->text(), start);
    }
}

TEST(AddressCommands, EmptyBoxesAfterStartupAreRefusedWithTheFormatMessage) {
    for (auto handler :
         {&Form1::set_play_addr_Click, &Form1::set_rec_addr_Click, &Form1::SetEraseAddrComm_Click}) {
        OpenForm f;
        Form1& w = *f.form;
        w.TryListenFlag = true;
        w.RinNeedCnt = 4;
        (w.*handler)();
        ASSERT_EQ(f.boxes->shown.size(), 1);
        EXPECT_EQ(f.boxes->shown[0].text, "数据格式非法");
        EXPECT_EQ(f.boxes->shown[0].caption, "错误");
        EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Critical);
        EXPECT_EQ(w.RinNeedCnt, 5);
        EXPECT_FALSE(w.Timer1->isActive());
        EXPECT_EQ(f.drain(), QByteArray());
    }
}

TEST(AddressCommands, AShortEntryInEitherBoxIsRefusedAndTheLampStaysLit) {
    OpenForm f;
    Form1& w = *f.form;
    w.St_Play_Text->setText("01 23");
    w.St_Play_Text1->setText("12 3");
    w.set_play_addr_Click();
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, "数据格式非法");
    EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(2)"});
    EXPECT_EQ(w.RinNeedCnt, 5);

    w.SetEraseText->setText("1");
    w.SetEraseText1->setText("01 23");
    w.SetEraseAddrComm_Click();
    EXPECT_EQ(f.boxes->shown.size(), 2);
    EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(4)"});
    EXPECT_EQ(f.drain(), QByteArray());
}

TEST(AddressCommands, RecordRangeIsSilentBeforeATrialListen) {
    OpenForm f;
    Form1& w = *f.form;
    w.St_Rec_Text->setText("01 23");
    w.St_Rec_Text1->setText("04 56");
    w.Lift(5).setVisible(true);
    w.RinNeedCnt = 3;
    w.SendBuf = {0x43};
    w.set_rec_addr_Click();
    EXPECT_TRUE(f.boxes->shown.isEmpty());
    EXPECT_EQ(w.RinNeedCnt, 3);
    EXPECT_EQ(w.SendBuf, std::vector<uint8_t>{0x43});
    EXPECT_EQ(litLamps(w), std::vector<QString>{"Lift(5)"});
    EXPECT_FALSE(w.Timer1->isActive());

    // Not even the format message: the guard comes first.
    w.St_Rec_Text->clear();
    w.set_rec_addr_Click();
    EXPECT_TRUE(f.boxes->shown.isEmpty());

    // After a refused entry the command still waits for the five bytes of an address reply.
    w.TryListenFlag = true;
    w.set_rec_addr_Click();
    EXPECT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(w.RinNeedCnt, 5);
}

TEST(AddressCommands, LongEraseEntriesAreDroppedSilently) {
    const QString longOnes[] = {
        QStringLiteral("12 345"), QStringLiteral("中文地址很长很长"), QString(20000, QChar(u'9')),
        QStringLiteral("\U0001F600\U0001F600\U0001F600"), // three emoji are six UTF-16 units
    };
    for (const QString& text : longOnes) {
        OpenForm f;
        Form1& w = *f.form;
        w.SetEraseText->setText("01 23");
        w.SetEraseText1->setText(text);
        w.SetEraseAddrComm_Click();
        EXPECT_TRUE(f.boxes->shown.isEmpty());
        EXPECT_EQ(litLamps(w), std::vector<QString>{"Right(4)"});
        EXPECT_EQ(w.RinNeedCnt, 5);
        EXPECT_EQ(f.drain(), QByteArray());
    }
}

TEST(AddressCommands, CharactersWithoutAByteCodeGoOutAsZero) {
    OpenForm f;
    Form1& w = *f.form;
    w.SetEraseText->setText(QStringLiteral("中文 字符"));
    w.SetEraseText1->setText(QStringLiteral("\U0001F600 12"));
    w.SetEraseAddrComm_Click();
    EXPECT_TRUE(f.boxes->shown.isEmpty());
    EXPECT_EQ(f.drain(), bytes({0x82, 0x00, 0x00, 0x12, 0x00}));
}

TEST(AddressCommands, StrToHexKeepsHexBufInTheWindow) {
    FormFixture f;
    Form1& w = *f.form;
    QString text = "12 3";
    EXPECT_EQ(w.StrToHex(text), 1);
    EXPECT_EQ(text, " 12 3");
    EXPECT_EQ(w.HexBuf, (std::vector<uint8_t>{0x12, 0x30, 0, 0, 0, 0}));
    text = "5";
    EXPECT_EQ(w.StrToHex(text), 0);
    EXPECT_EQ(w.HexBuf, (std::vector<uint8_t>{0x50, 0, 0}));
}

// ---- Analog path ----

TEST(AnalogPath, RightAfterStartupTheFrameIsLinMonitorOffSpeakerOffStepFour) {
    OpenForm f;
    Form1& w = *f.form;
    lightAll(w);
    w.RinNeedCnt = 4;
    w.RinCnt = 1;
    w.si_ok_Click();
    EXPECT_TRUE(w.Bottmp(0).Visible());
    EXPECT_TRUE(litLamps(w).empty());
    EXPECT_EQ(w.RinNeedCnt, 4);
    EXPECT_EQ(w.RinCnt, 1);
    EXPECT_EQ(f.drain(), bytes({0x65, 0x0D, 0x00}));

    // The analog lamp stays beside the next operation's lamp.
    w.play_Click();
    EXPECT_TRUE(w.Bottmp(0).Visible());
    EXPECT_EQ(litLamps(w), std::vector<QString>{"Lift(0)"});
}

TEST(AnalogPath, TheControlsAndTheVolumeStepAsTheyStandAtThePress) {
    OpenForm f;
    Form1& w = *f.form;
    w.sound_in->setCurrentText("Mic");
    w.SoundMon->setChecked(true);
    w.SPKon->setChecked(true);
    // The volume button steps 4 -> 0 -> 1 and sends nothing by itself.
    w.VoilceVal_Click();
    w.VoilceVal_Click();
    EXPECT_EQ(f.drain(), QByteArray());
    w.si_ok_Click();
    EXPECT_EQ(f.drain(), bytes({0x65, 0x0C, 0x4B}));
    f.port->writes.clear();

    w.sound_in->setCurrentText("LM");
    w.SoundMon->setChecked(false);
    w.SPKon->setChecked(false);
    w.VolStep = 0;
    w.si_ok_Click();
    EXPECT_EQ(f.drain(), bytes({0x65, 0x0D, 0x14}));
    f.port->writes.clear();

    // A greyed box is off; an edited source that is no list entry selects nothing.
    w.SoundMon->setTristate(true);
    w.SoundMon->setCheckState(Qt::PartiallyChecked);
    w.SPKon->setTristate(true);
    w.SPKon->setCheckState(Qt::PartiallyChecked);
    w.sound_in->setEditText("mic");
    w.VolStep = 4;
    w.si_ok_Click();
    EXPECT_EQ(f.drain(), bytes({0x65, 0x0D, 0x00}));
}

// ---- Binding ----

TEST(ChipButtons, EachButtonClickReachesItsHandler) {
    OpenForm f;
    Form1& w = *f.form;
    w.TryListenFlag = true;
    for (QLineEdit* box :
         {w.St_Play_Text, w.St_Play_Text1, w.St_Rec_Text, w.St_Rec_Text1, w.SetEraseText, w.SetEraseText1})
        box->setText("00 00");
    const std::pair<QPushButton*, uint8_t> buttons[] = {
        {w.devid_pu, 0x01},      {w.devid_id, 0x09},     {w.devid_rst, 0x03},
        {w.play, 0x40},          {w.stop, 0x02},         {w.rec, 0x41},
        {w.fwd, 0x48},           {w.erase, 0x42},        {w.erase_all, 0x43},
        {w.rd_play_addr, 0x06},  {w.rd_rec_addr, 0x08},  {w.CurrentRowComm, 0x60},
        {w.set_play_addr, 0x80}, {w.set_rec_addr, 0x81}, {w.SetEraseAddrComm, 0x82},
        {w.si_ok, 0x65},
    };
    for (const auto& [button, command] : buttons) {
        w.SendCmd = 0;
        button->click();
        EXPECT_EQ(w.SendCmd, command) << button->objectName().toStdString();
    }
}
