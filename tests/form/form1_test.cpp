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

TEST(Form1Layout, EveryControlSitsAtItsDesignedRectangleAndNothingLeavesItsFrame) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.size(), QSize(486, 453)); // 7290 x 6795 twips
    // The window's catalogue: container, then left, top, width and height in twips. Frame1 and Frame7
    // overhang the window's right edge by design.
    // clang-format off
    const std::tuple<const char*, const char*, int, int, int, int> places[] = {
        {"Frame1", "Form1", 0, 0, 7335, 495}, {"Picture1", "Form1", 0, 480, 2415, 1575},
        {"Frame3", "Form1", 120, 2040, 2175, 2895}, {"Frame4", "Form1", 2400, 600, 2415, 4215},
        {"Frame6", "Form1", 4920, 600, 2355, 4215}, {"Frame7", "Form1", 120, 5040, 7215, 1095},
        {"Frame2", "Form1", 0, 6120, 7215, 615},
        {"Label12", "Frame1", 60, 180, 1335, 255}, {"DisFileNanmeText", "Frame1", 1440, 120, 5775, 330},
        {"Label2", "Frame3", 240, 240, 615, 255}, {"Combo1", "Frame3", 960, 240, 615, 300},
        {"Seril_StDig", "Frame3", 1800, 240, 255, 255}, {"Command16", "Frame3", 180, 600, 915, 315},
        {"open_file", "Frame3", 1200, 600, 915, 315}, {"Label15", "Frame3", 300, 1080, 795, 255},
        {"MusicFileLenText", "Frame3", 1080, 1020, 855, 255}, {"SetMusicPoint", "Frame3", 180, 1380, 975, 315},
        {"Try_Listen", "Frame3", 1440, 1380, 675, 315}, {"Label1", "Frame3", 240, 1800, 795, 255},
        {"SetAddrText", "Frame3", 1020, 1740, 915, 285}, {"Label14", "Frame3", 130, 2100, 855, 195},
        {"PlayPointText", "Frame3", 1020, 2040, 915, 285}, {"PlayPoint", "Frame3", 60, 2340, 1995, 195},
        {"VolicDisPlay(0)", "Frame3", 180, 2700, 255, 195}, {"VolicDisPlay(1)", "Frame3", 420, 2700, 255, 195},
        {"VolicDisPlay(2)", "Frame3", 660, 2700, 255, 195}, {"VolicDisPlay(3)", "Frame3", 900, 2700, 255, 195},
        {"VolicDisPlay(4)", "Frame3", 1140, 2700, 255, 195}, {"VoilceVal", "Frame3", 1500, 2580, 555, 315},
        {"Label3", "Frame7", 120, 240, 495, 375}, {"sound_in", "Frame7", 540, 240, 735, 300},
        {"Label4", "Frame7", 120, 660, 375, 195}, {"SoundMon", "Frame7", 540, 600, 255, 255},
        {"Label5", "Frame7", 840, 660, 315, 195}, {"SPKon", "Frame7", 1140, 600, 255, 255},
        {"si_ok", "Frame7", 1440, 240, 855, 495}, {"devid_rst", "Frame7", 2700, 240, 1200, 495},
        {"devid_pu", "Frame7", 4080, 240, 1200, 495}, {"devid_id", "Frame7", 5460, 240, 1200, 495},
        {"Bottmp(0)", "Frame7", 1800, 720, 150, 255}, {"Bottmp(4)", "Frame7", 3240, 720, 150, 255},
        {"Bottmp(3)", "Frame7", 4600, 720, 150, 255}, {"Bottmp(1)", "Frame7", 6000, 720, 150, 255},
        {"CurrentRow", "Frame6", 300, 300, 1455, 315}, {"CurrentRowComm", "Frame6", 300, 660, 1455, 315},
        {"play", "Frame6", 300, 1080, 1455, 315}, {"stop", "Frame6", 300, 1500, 1455, 315},
        {"RecTimeText", "Frame6", 360, 1980, 1395, 315}, {"rec", "Frame6", 300, 2280, 1455, 375},
        {"fwd", "Frame6", 300, 2760, 1455, 375}, {"erase", "Frame6", 300, 3240, 1455, 375},
        {"erase_all", "Frame6", 300, 3780, 1455, 375},
        {"Lift(0)", "Frame6", 1920, 1080, 150, 255}, {"Lift(1)", "Frame6", 1920, 1560, 150, 255},
        {"Lift(2)", "Frame6", 1920, 2340, 150, 255}, {"Lift(3)", "Frame6", 1920, 2880, 150, 255},
        {"Lift(4)", "Frame6", 1920, 3360, 150, 255}, {"Lift(5)", "Frame6", 1920, 3840, 150, 255},
        {"Lift(6)", "Frame6", 1920, 720, 150, 255},
        {"Play_Text", "Frame4", 420, 180, 1395, 315}, {"rd_play_addr", "Frame4", 420, 540, 1335, 375},
        {"Rec_Text", "Frame4", 420, 960, 1395, 375}, {"rd_rec_addr", "Frame4", 420, 1320, 1335, 375},
        {"Label6", "Frame4", 120, 1860, 135, 195}, {"St_Play_Text", "Frame4", 300, 1740, 675, 375},
        {"Label7", "Frame4", 1020, 1860, 135, 195}, {"St_Play_Text1", "Frame4", 1140, 1740, 675, 375},
        {"set_play_addr", "Frame4", 420, 2100, 1335, 435}, {"Label8", "Frame4", 120, 2640, 135, 255},
        {"St_Rec_Text", "Frame4", 240, 2580, 675, 375}, {"Label9", "Frame4", 1020, 2640, 135, 255},
        {"St_Rec_Text1", "Frame4", 1140, 2580, 675, 375}, {"set_rec_addr", "Frame4", 420, 2940, 1335, 435},
        {"Label10", "Frame4", 120, 3540, 135, 255}, {"SetEraseText", "Frame4", 240, 3420, 675, 375},
        {"Label11", "Frame4", 960, 3540, 195, 315}, {"SetEraseText1", "Frame4", 1140, 3420, 675, 375},
        {"SetEraseAddrComm", "Frame4", 420, 3780, 1350, 420},
        {"Right(0)", "Frame4", 1920, 600, 150, 255}, {"Right(1)", "Frame4", 1920, 1380, 150, 255},
        {"Right(2)", "Frame4", 1920, 2220, 150, 255}, {"Right(3)", "Frame4", 1920, 3060, 150, 255},
        {"Right(4)", "Frame4", 1920, 3900, 150, 255},
        {"Label16", "Frame2", 120, 240, 6735, 375}};
    // clang-format on
    // 15 twips to a pixel, to the nearest pixel.
    const auto px = [](int twips) { return (twips + 7) / 15; };
    for (const auto& [name, container, left, top, width, height] : places) {
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->parentWidget()->objectName(), container) << name;
        EXPECT_EQ(widget->geometry(), QRect(px(left), px(top), px(width), px(height))) << name;
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
