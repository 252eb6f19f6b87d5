// The window after start-up: its texts and lists, where its controls sit, how it is drawn, shutdown.
// Expected values are written out from the window's design, never taken from the code that builds it.
#include "app/captionfont.h"
#include "formfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// What a control shows: a frame's title, a combo box's current text, any other control's text.
QString shownText(const QWidget* widget) {
    const char* property = qobject_cast<const QGroupBox*>(widget)   ? "title"
                           : qobject_cast<const QComboBox*>(widget) ? "currentText"
                                                                    : "text";
    return widget->property(property).toString();
}

QStringList items(const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

} // namespace

TEST(Form1Startup, DesignTextsAndListsAndNothingOpened) {
    FormFixture f;
    Form1& w = *f.form;
    // The nine address and pointer boxes are empty after start-up; the others keep their design texts.
    // clang-format off
    const std::pair<const char*, const char*> texts[] = {
        {"Frame1", ""}, {"Frame3", ""}, {"Frame4", "ISD设置"}, {"Frame6", "ISD操作"}, {"Frame7", ""},
        {"Frame2", ""}, {"Label12", "正在播放的文件"}, {"DisFileNanmeText", ".mp3"}, {"Label2", "串口号"},
        {"Combo1", "1"}, {"Command16", "打开串口"}, {"open_file", "打开文件"}, {"Label15", "文件长度"},
        {"MusicFileLenText", ""}, {"SetMusicPoint", "设播放点"}, {"Try_Listen", "试听"}, {"Label1", "播放地址"},
        {"SetAddrText", "00:00:00"}, {"Label14", " 当前进度"}, {"PlayPointText", "00:00:00"},
        {"VoilceVal", "音量"}, {"Label3", "音源"}, {"sound_in", "Lin"}, {"Label4", "监听"}, {"SoundMon", ""},
        {"Label5", "SPK"}, {"SPKon", ""}, {"si_ok", "设置"}, {"devid_rst", "器件复位"}, {"devid_pu", "器件上电"},
        {"devid_id", "器件ID"}, {"CurrentRow", ""}, {"CurrentRowComm", "当前地址"}, {"play", "播放"},
        {"stop", "停止"}, {"RecTimeText", "REC Time"}, {"rec", "录音"}, {"fwd", "下一段"}, {"erase", "擦除当前"},
        {"erase_all", "擦除全部"}, {"Play_Text", ""}, {"rd_play_addr", "读播放地址"}, {"Rec_Text", ""},
        {"rd_rec_addr", "读录音地址"}, {"Label6", "S"}, {"St_Play_Text", ""}, {"Label7", "E"},
        {"St_Play_Text1", ""}, {"set_play_addr", "设置播放地址"}, {"Label8", "S"}, {"St_Rec_Text", ""},
        {"Label9", "E"}, {"St_Rec_Text1", ""}, {"set_rec_addr", "设置录音地址"}, {"Label10", "S"},
        {"SetEraseText", ""}, {"Label11", "E"}, {"SetEraseText1", ""}, {"SetEraseAddrComm", "设置擦除地址"}};
    // clang-format on
    for (const auto& [name, text] : texts) {
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(shownText(widget), QString::fromUtf8(text)) << name;
    }
    EXPECT_EQ(w.windowTitle(), "Quillory.exe  Version:2.01");
    for (QLineEdit* box : {w.CurrentRow, w.St_Play_Text, w.St_Play_Text1, w.St_Rec_Text, w.St_Rec_Text1})
        EXPECT_EQ(box->maxLength(), 5) << box->objectName().toStdString();
    EXPECT_GT(w.SetEraseText->maxLength(), 1000) << "the erase boxes take any length";
    EXPECT_EQ(w.DisFileNanmeText->palette().color(QPalette::Text).name(), "#0000ff");
    // Only the captions of the two frames are green, not the controls inside them.
    EXPECT_EQ(w.Frame6->palette().color(QPalette::WindowText).name(), "#00c000");
    EXPECT_EQ(w.Label6->palette().color(QPalette::WindowText), w.palette().color(QPalette::WindowText));

    // Typing into a combo box and pressing Enter sets its text as typed; the list stays as designed.
    const QStringList ports{"1", "2",  "3",  "4",  "5",  "6",  "7",  "8",
                            "9", "10", "11", "12", "13", "14", "15", "16"};
    const QStringList sources{"Lin", "Mic", "LM"};
    for (QComboBox* combo : {w.Combo1, w.sound_in}) {
        EXPECT_EQ(items(combo), combo == w.Combo1 ? ports : sources);
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), "lm");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(combo->currentText(), "lm");
        EXPECT_EQ(items(combo), combo == w.Combo1 ? ports : sources);
    }

    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(f.port->portOpen());
    EXPECT_TRUE(f.port->writes.isEmpty());
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(Form1Layout, ControlsSitAtTheirDesignedPixelsAndNothingLeavesItsFrame) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.size(), QSize(486, 453)); // 7290 x 6795 twips
    // Twips over 15, to the nearest pixel, relative to the container. Frame1 and Frame7 overhang the
    // window's right edge by design.
    // clang-format off
    const std::tuple<const char*, const char*, QRect> places[] = {
        {"Frame1", "Form1", {0, 0, 489, 33}}, {"Picture1", "Form1", {0, 32, 161, 105}},
        {"Frame3", "Form1", {8, 136, 145, 193}}, {"Frame4", "Form1", {160, 40, 161, 281}},
        {"Frame6", "Form1", {328, 40, 157, 281}}, {"Frame7", "Form1", {8, 336, 481, 73}},
        {"Frame2", "Form1", {0, 408, 481, 41}}, {"Label12", "Frame1", {4, 12, 89, 17}},
        {"DisFileNanmeText", "Frame1", {96, 8, 385, 22}}, {"Combo1", "Frame3", {64, 16, 41, 20}},
        {"Seril_StDig", "Frame3", {120, 16, 17, 17}}, {"Label14", "Frame3", {9, 140, 57, 13}},
        {"PlayPoint", "Frame3", {4, 156, 133, 13}}, {"VolicDisPlay(4)", "Frame3", {76, 180, 17, 13}},
        {"VoilceVal", "Frame3", {100, 172, 37, 21}}, {"sound_in", "Frame7", {36, 16, 49, 20}},
        {"SPKon", "Frame7", {76, 40, 17, 17}}, {"devid_id", "Frame7", {364, 16, 80, 33}},
        {"Bottmp(1)", "Frame7", {400, 48, 10, 17}}, {"RecTimeText", "Frame6", {24, 132, 93, 21}},
        {"rec", "Frame6", {20, 152, 97, 25}}, {"Lift(6)", "Frame6", {128, 48, 10, 17}},
        {"Label11", "Frame4", {64, 236, 13, 21}}, {"SetEraseAddrComm", "Frame4", {28, 252, 90, 28}},
        {"Right(4)", "Frame4", {128, 260, 10, 17}}, {"Label16", "Frame2", {8, 16, 449, 25}}};
    // clang-format on
    for (const auto& [name, container, rect] : places) {
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->parentWidget()->objectName(), container) << name;
        EXPECT_EQ(widget->geometry(), rect) << name;
    }
    for (QGroupBox* frame : w.findChildren<QGroupBox*>())
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(frame->rect().contains(child->geometry())) << child->objectName().toStdString();
    EXPECT_EQ(w.Picture1->pixmap().size(), QSize(178, 99));
}

TEST(Form1Keyboard, FocusStartsAtTheFirstTabStopTabFollowsTheDesignAndEnterPressesAButton) {
    FormFixture f;
    Form1& w = *f.form;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // The window's tab order without the labels, which take no focus; then round to the first again.
    const QString order =
        "rd_play_addr Play_Text Rec_Text rd_rec_addr St_Play_Text set_play_addr St_Rec_Text set_rec_addr "
        "play stop "
        "fwd rec erase erase_all devid_id devid_pu devid_rst sound_in si_ok SoundMon SPKon St_Play_Text1 "
        "St_Rec_Text1 SetEraseText SetEraseText1 SetEraseAddrComm CurrentRow CurrentRowComm RecTimeText "
        "DisFileNanmeText SetMusicPoint SetAddrText MusicFileLenText PlayPoint PlayPointText VoilceVal "
        "Command16 "
        "Try_Listen open_file Combo1 rd_play_addr";
    QStringList visited;
    for (qsizetype i = 0; i < order.count(' ') + 1; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "after " << visited.join(' ').toStdString();
        // An editable combo box's text field holds the focus for it.
        QWidget* combo = qobject_cast<QComboBox*>(focus->parentWidget());
        visited << (combo ? combo : focus)->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(visited.join(' ').toStdString(), order.toStdString());

    // Return and keypad Enter press the focused button, as Space does; Return in a text box presses none.
    w.VoilceVal->setFocus();
    QTest::keyClick(w.VoilceVal, Qt::Key_Return);
    QTest::keyClick(w.VoilceVal, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(w.VoilceVal, Qt::Key_Space);
    EXPECT_EQ(w.VolStep, 2) << "4, then 0, 1, 2";
    w.Play_Text->setFocus();
    QTest::keyClick(w.Play_Text, Qt::Key_Return);
    w.devid_id->setFocus();
    QTest::keyClick(w.devid_id, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(w.Bottmp(1).Visible());
    EXPECT_EQ(f.boxes->shown.size(), 1) << "one frame, refused on the closed port";
}

TEST(Form1Picture, LampsAndTheGreenCaptionAreDrawnWhereDesigned) {
    FormFixture f;
    Form1& w = *f.form;
    w.Lift(2).setVisible(true);
    w.Right(0).setVisible(true);
    w.show();
    const QImage image = w.grab().toImage();
    const QString dir = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(dir);
    image.save(dir + QStringLiteral("/form1.png")); // for a person's look
    // The centre of a lamp's 10 x 17 pixel box: frame corner + lamp corner + (5, 8).
    const auto at = [&](int x, int y) { return QColor(image.pixel(x, y)).name(); };
    EXPECT_EQ(at(328 + 128 + 5, 40 + 156 + 8), "#ff0000") << "Lift(2), lit";
    EXPECT_EQ(at(160 + 128 + 5, 40 + 40 + 8), "#00c000") << "Right(0), lit";
    EXPECT_EQ(at(8 + 120 + 8, 136 + 16 + 8), "#ffffff") << "Seril_StDig, port closed";
    // Frame4's caption "ISD设置" is drawn in green: its ink is greener than it is red or blue.
    int greenInk = 0;
    for (int y = 40; y < 40 + 16; ++y)
        for (int x = 160; x < 160 + 80; ++x) {
            const QColor c(image.pixel(x, y));
            greenInk += c.green() - c.red() > 60 && c.red() == c.blue();
        }
    EXPECT_GT(greenInk, 10);
}

TEST(CaptionFont, TheInstalledFontDrawsEveryCaptionAndAMissingOneIsNamedOnOneLine) {
    FormFixture f;
    EXPECT_EQ(captionFontWarning(*f.form), QString()) << "setup installs fonts-wqy-microhei";
    for (const char* caption :
         {"ISD操作", "正在播放的文件", "器件ID", "16", "LM"}) // frame, label, button, lists
        EXPECT_TRUE(windowCaptions(*f.form).contains(QString::fromUtf8(caption))) << caption;
    const auto latinOnly = [](char32_t c) { return c < 0x80; };
    EXPECT_EQ(captionFontWarning(QStringLiteral("S E REC Time"), latinOnly), QString());
    EXPECT_EQ(captionFontWarning(QStringLiteral("串口号 1"), latinOnly),
              "quillory: no installed font can draw the Chinese captions, which show as boxes; install the "
              "package fonts-wqy-microhei");
}

TEST(Form1Shutdown, UnloadClosesThePlayerAndSendsNothing) {
    FormFixture f;
    f.port->setPortOpen(true);
    f.form->show();
    f.form->close();
    EXPECT_EQ(f.player->commands, QStringList{"Close"});
    EXPECT_TRUE(f.port->writes.isEmpty());
}
