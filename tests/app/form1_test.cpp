// The window after start-up: texts, geometry, tab order, a picture of it, shutdown.
#include "app/catalogue.h"
#include "formfixture.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

TEST(Form1Startup, TextsStateAndNothingOpened) {
    FormFixture f;
    Form1& w = *f.form;
    for (QLineEdit* box : {w.Play_Text, w.Rec_Text, w.St_Play_Text, w.St_Play_Text1, w.St_Rec_Text,
                           w.St_Rec_Text1, w.SetEraseText, w.SetEraseText1, w.CurrentRow})
        EXPECT_EQ(box->text(), QString()) << box->objectName().toStdString();
    EXPECT_EQ(w.PlayPointText->text(), "00:00:00");
    EXPECT_EQ(w.SetAddrText->text(), "00:00:00");
    EXPECT_EQ(w.DisFileNanmeText->text(), ".mp3");
    EXPECT_EQ(w.RecTimeText->text(), "REC Time");
    EXPECT_EQ(w.Combo1->currentText(), "1");
    EXPECT_EQ(w.sound_in->currentText(), "Lin");
    EXPECT_EQ(w.Seril_StDig->fillColor(), QColor(Qt::white));
    EXPECT_EQ(w.Label14->text(), " 当前进度");
    EXPECT_EQ(w.windowTitle(), "Quillory.exe  Version:2.01");
    for (QLineEdit* box : {w.CurrentRow, w.St_Play_Text, w.St_Play_Text1, w.St_Rec_Text, w.St_Rec_Text1})
        EXPECT_EQ(box->maxLength(), 5);
    EXPECT_GT(w.SetEraseText->maxLength(), 1000) << "the erase boxes take any length";
    // Only the captions of the two frames are green, not the controls inside them.
    EXPECT_EQ(w.Frame4->palette().color(QPalette::WindowText), QColor(0x00, 0xC0, 0x00));
    EXPECT_EQ(w.Label6->palette().color(QPalette::WindowText), w.palette().color(QPalette::WindowText));
    EXPECT_EQ(w.VolStep, 4);
    EXPECT_TRUE(w.VoiclePtrTimer->isActive());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(f.port->portOpen());
    EXPECT_TRUE(f.port->writes.isEmpty());
    EXPECT_TRUE(f.player->commands.isEmpty());
    EXPECT_TRUE(f.boxes->shown.isEmpty());
}

TEST(Form1Layout, EveryControlAtItsRectangleInsideItsContainerInTabOrder) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.size(), QSize(486, 453));
    for (const ControlPlace& place : controlCatalogue()) {
        SCOPED_TRACE(place.name);
        auto* widget = w.findChild<QWidget*>(QString::fromLatin1(place.name));
        ASSERT_NE(widget, nullptr);
        const QWidget* container = widget->parentWidget();
        EXPECT_EQ(container->objectName().toStdString(), place.container);
        EXPECT_EQ(widget->geometry(), twipsToPixels(place));
        // Two frames overhang the window's edge by design; inside a frame nothing may.
        if (container != &w) {
            EXPECT_TRUE(QRect(QPoint(0, 0), container->size()).contains(widget->geometry()));
        }
    }
    EXPECT_EQ(w.Picture1->pixmap().size(), QSize(178, 99));
    EXPECT_EQ(w.rd_play_addr->nextInFocusChain(), w.Play_Text);
    EXPECT_EQ(w.stop->nextInFocusChain(), w.fwd);
    EXPECT_EQ(w.fwd->nextInFocusChain(), w.rec);
}

TEST(Form1Picture, WritesAPngOfTheWindow) {
    FormFixture f;
    f.form->show();
    const QString dir = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(dir);
    EXPECT_TRUE(f.form->grab().save(dir + QStringLiteral("/form1.png")));
}

TEST(Form1Shutdown, UnloadClosesThePlayerAndSendsNothing) {
    FormFixture f;
    f.port->setPortOpen(true);
    f.form->show();
    f.form->close();
    EXPECT_EQ(f.player->commands, QStringList{"Close"});
    EXPECT_TRUE(f.port->writes.isEmpty());
}
