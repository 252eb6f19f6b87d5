// The window as it stands after start-up: controls, texts, geometry, shutdown.
#include "app/catalogue.h"
#include "formfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

TEST(Form1Startup, BoxesEmptiedAndDesignTextsKept) {
    FormFixture f;
    Form1& w = *f.form;
    for (QLineEdit* box : {w.Play_Text, w.Rec_Text, w.St_Play_Text, w.St_Play_Text1, w.St_Rec_Text,
                           w.St_Rec_Text1, w.SetEraseText, w.SetEraseText1, w.CurrentRow})
        EXPECT_EQ(box->text(), QString()) << box->objectName().toStdString();
    EXPECT_EQ(w.PlayPointText->text(), "00:00:00");
    EXPECT_EQ(w.SetAddrText->text(), "00:00:00");
    EXPECT_EQ(w.DisFileNanmeText->text(), ".mp3");
    EXPECT_EQ(w.RecTimeText->text(), "REC Time");
    EXPECT_EQ(w.MusicFileLenText->text(), QString());
    EXPECT_EQ(w.Combo1->currentText(), "1");
    EXPECT_EQ(w.Combo1->count(), 16);
    EXPECT_EQ(w.Combo1->itemText(15), "16");
    EXPECT_EQ(w.sound_in->currentText(), "Lin");
    EXPECT_EQ(w.sound_in->count(), 3);
    EXPECT_FALSE(w.SoundMon->isChecked());
    EXPECT_FALSE(w.SPKon->isChecked());
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(Qt::white));
    EXPECT_EQ(w.Command16->text(), "打开串口");
    EXPECT_EQ(w.PlayPoint->maximum(), 30000);
    EXPECT_EQ(w.windowTitle(), "Quillory.exe  Version:2.01");
}

TEST(Form1Startup, SharedStateAsLoaded) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.VolStep, 4);
    EXPECT_EQ(w.VolPtr, 0);
    EXPECT_FALSE(w.ListenOn);
    EXPECT_FALSE(w.TryListenFlag);
    EXPECT_FALSE(w.PlayerRun);
    EXPECT_FALSE(w.RecOn);
    EXPECT_EQ(w.RinCnt, 0);
    EXPECT_EQ(w.RinNeedCnt, 0);
    EXPECT_EQ(w.SendLen, 0);
    EXPECT_TRUE(w.SendBuf.empty());
    EXPECT_TRUE(w.HexBuf.empty());
    EXPECT_EQ(w.PlayPosit, 0);
    EXPECT_EQ(w.MusicFileName, QString());
    EXPECT_TRUE(w.VoiclePtrTimer->isActive());
    EXPECT_FALSE(w.Timer1->isActive());
    // Start-up opens nothing and sends nothing.
    EXPECT_FALSE(f.port->portOpen());
    EXPECT_TRUE(f.port->writes.isEmpty());
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(Form1Startup, MaxLengthsAndCaptions) {
    FormFixture f;
    Form1& w = *f.form;
    for (QLineEdit* box : {w.CurrentRow, w.St_Play_Text, w.St_Play_Text1, w.St_Rec_Text, w.St_Rec_Text1})
        EXPECT_EQ(box->maxLength(), 5) << box->objectName().toStdString();
    // The erase boxes take any length.
    EXPECT_GT(w.SetEraseText->maxLength(), 1000);
    EXPECT_EQ(w.Frame4->title(), "ISD设置");
    EXPECT_EQ(w.Frame6->title(), "ISD操作");
    EXPECT_EQ(w.Frame4->palette().color(QPalette::WindowText), QColor(0x00, 0xC0, 0x00));
    // Only the captions are green, not the controls in the two frames.
    for (QWidget* inside : {static_cast<QWidget*>(w.Label6), static_cast<QWidget*>(w.Label11)})
        EXPECT_EQ(inside->palette().color(QPalette::WindowText), w.palette().color(QPalette::WindowText));
    EXPECT_EQ(w.DisFileNanmeText->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(w.Label14->text(), " 当前进度");
    EXPECT_EQ(w.SetEraseAddrComm->text(), "设置擦除地址");
    EXPECT_FALSE(w.Label16->text().isEmpty());
}

TEST(Form1Layout, EveryControlAtItsRectangleInsideItsContainer) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.size(), QSize(486, 453));
    std::set<std::string> names;
    for (const ControlPlace& place : controlCatalogue()) {
        SCOPED_TRACE(place.name);
        EXPECT_TRUE(names.insert(place.name).second) << "listed twice";
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(place.name));
        ASSERT_NE(widget, nullptr);
        const QWidget* container = widget->parentWidget();
        ASSERT_NE(container, nullptr);
        EXPECT_EQ(container->objectName().toStdString(), place.container);
        EXPECT_EQ(widget->geometry(), twipsToPixels(place));
        // Controls in a frame lie wholly inside it (two frames overhang the window's edge by
        // design and are clipped there).
        if (container != &w) {
            EXPECT_TRUE(QRect(QPoint(0, 0), container->size()).contains(widget->geometry()));
        }
    }
    EXPECT_EQ(w.Picture1->pixmap().size(), QSize(178, 99));
}

TEST(Form1Layout, TabOrderFollowsTheDesign) {
    FormFixture f;
    Form1& w = *f.form;
    // From the first place in the order: rd_play_addr (3), Play_Text (4), Rec_Text (5), ...
    EXPECT_EQ(w.rd_play_addr->nextInFocusChain(), w.Play_Text);
    EXPECT_EQ(w.Play_Text->nextInFocusChain(), w.Rec_Text);
    EXPECT_EQ(w.play->nextInFocusChain(), w.stop);
    EXPECT_EQ(w.stop->nextInFocusChain(), w.fwd);
    EXPECT_EQ(w.fwd->nextInFocusChain(), w.rec);
}

TEST(Form1Picture, WritesAPngOfTheWindow) {
    FormFixture f;
    f.form->show();
    const QPixmap shot = f.form->grab();
    ASSERT_FALSE(shot.isNull());
    const QString dir = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/form1.png");
    ASSERT_TRUE(shot.save(path));
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST(Form1Shutdown, UnloadClosesThePlayerAndSendsNothing) {
    FormFixture f;
    f.port->setPortOpen(true);
    f.form->show();
    f.form->close();
    EXPECT_EQ(f.player->commands, QStringList{"Close"});
    EXPECT_EQ(f.player->command(), "Close");
    EXPECT_TRUE(f.port->writes.isEmpty());
}
