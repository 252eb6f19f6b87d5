// The window in English: the translation is found where the console looks for it, the captions
// fit their controls at the designed widths in the font the package depends on, and the operator
// meets English captions and message boxes; in Chinese, Qt's dialogs and the monitor hold no English.
#include "app/language.h"
#include "form/trafficmonitor.h"
#include "formfixture.h"
#include "link/linktrace.h"
#include "monitor/monitorwindow.h"
#include "monitor/trafficlog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

const QString buildTranslations = QStringLiteral(QUILLORY_BUILD_TRANSLATIONS_DIR);

QString translated(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

bool holdsChinese(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

// A test with the English translation installed for its length, as --language en does.
class English : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        m_translator = installInterfaceLanguage(InterfaceLanguage::English, {buildTranslations}, &error);
        ASSERT_TRUE(m_translator) << error.toStdString();
    }

private:
    std::unique_ptr<QTranslator> m_translator; // removes itself from the application when deleted
};

} // namespace

TEST(InterfaceLanguage, OnlyEnAndZhAreLanguages) {
    EXPECT_EQ(interfaceLanguageFromText(QStringLiteral("en")), InterfaceLanguage::English);
    EXPECT_EQ(interfaceLanguageFromText(QStringLiteral("zh")), InterfaceLanguage::Chinese);
    for (const char* other : {"", "EN", "fr", "zh_CN", "en_US", " en"})
        EXPECT_FALSE(interfaceLanguageFromText(QString::fromLatin1(other))) << other;
}

TEST(InterfaceLanguage, FoundBesideTheExecutableOrInTheInstalledShareFolder) {
    EXPECT_EQ(translationDirectories(QStringLiteral("/opt/q/bin")),
              QStringList({QStringLiteral("/opt/q/bin/translations"),
                           QStringLiteral("/opt/q/share/quillory/translations")}));

    // An installed tree under a prefix of its own, whose bin/translations holds a broken file.
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir prefix(root.path());
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("bin/translations")));
    ASSERT_TRUE(prefix.mkpath(QStringLiteral("share/quillory/translations")));
    const QStringList directories = translationDirectories(prefix.filePath(QStringLiteral("bin")));
    QString error;
    {
        // Nothing installed yet: the window stays Chinese, and the message names where it looked.
        const auto none = installInterfaceLanguage(InterfaceLanguage::English, directories, &error);
        EXPECT_FALSE(none);
        EXPECT_TRUE(error.contains(prefix.filePath(QStringLiteral("share/quillory/translations"))))
            << error.toStdString();
        EXPECT_EQ(translated("Form1", "打开串口"), QStringLiteral("打开串口"));
    }
    QFile broken(prefix.filePath(QStringLiteral("bin/translations/quillory_en.qm")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a translation");
    broken.close();
    ASSERT_TRUE(QFile::copy(QDir(buildTranslations).filePath(QStringLiteral("quillory_en.qm")),
                            prefix.filePath(QStringLiteral("share/quillory/translations/quillory_en.qm"))));
    {
        error.clear();
        const auto english = installInterfaceLanguage(InterfaceLanguage::English, directories, &error);
        EXPECT_TRUE(english) << error.toStdString();
        EXPECT_EQ(translated("Form1", "打开串口"), QStringLiteral("Open port"));
    }
    // Chinese loads nothing, whatever is installed: the source texts are the Chinese ones.
    error.clear();
    EXPECT_FALSE(installInterfaceLanguage(InterfaceLanguage::Chinese, directories, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(translated("Form1", "打开串口"), QStringLiteral("打开串口"));
}

TEST_F(English, CaptionsFitTheirControlsAtTheDesignedWidths) {
    FormFixture f;
    Form1& w = *f.form;
    // Measured in the face the package depends on (fonts-wqy-microhei), as the window sets it.
    ASSERT_EQ(QFontInfo(w.font()).family(), QStringLiteral("WenQuanYi Micro Hei"))
        << "the font of the package's dependency fonts-wqy-microhei is not installed";

    // Designed widths in twips (15 to a pixel) of every control that shows a caption. A button's
    // text keeps clear of its 1 px frame by at least 1 px on each side; a label is drawn from its
    // left edge and may run to its last pixel but one; a frame's title starts after its corner.
    constexpr int buttonMargin = 4, labelMargin = 1, titleMargin = 16;
    const struct {
        const char* control;
        int widthTwips;
        int margin;
    } controls[] = {
        {"Command16", 915, buttonMargin},
        {"open_file", 915, buttonMargin},
        {"SetMusicPoint", 975, buttonMargin},
        {"Try_Listen", 675, buttonMargin},
        {"VoilceVal", 555, buttonMargin},
        {"si_ok", 855, buttonMargin},
        {"devid_rst", 1200, buttonMargin},
        {"devid_pu", 1200, buttonMargin},
        {"devid_id", 1200, buttonMargin},
        {"CurrentRowComm", 1455, buttonMargin},
        {"play", 1455, buttonMargin},
        {"stop", 1455, buttonMargin},
        {"rec", 1455, buttonMargin},
        {"fwd", 1455, buttonMargin},
        {"erase", 1455, buttonMargin},
        {"erase_all", 1455, buttonMargin},
        {"rd_play_addr", 1335, buttonMargin},
        {"rd_rec_addr", 1335, buttonMargin},
        {"set_play_addr", 1335, buttonMargin},
        {"set_rec_addr", 1335, buttonMargin},
        {"SetEraseAddrComm", 1350, buttonMargin},
        {"Label12", 1335, labelMargin},
        {"Label2", 615, labelMargin},
        {"Label15", 795, labelMargin},
        {"Label1", 795, labelMargin},
        {"Label14", 855, labelMargin},
        {"Label3", 495, labelMargin},
        {"Label4", 375, labelMargin},
        {"Label16", 6735, labelMargin},
        {"Frame4", 2415, titleMargin},
        {"Frame6", 2355, titleMargin},
    };
    const auto captionOf = [&w](const char* name) {
        const QWidget* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
        if (const auto* button = qobject_cast<const QPushButton*>(widget))
            return button->text();
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            return label->text();
        if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
            return frame->title();
        return QString();
    };
    // A label's text also keeps clear of the control that starts within its width on its right.
    const auto roomOf = [](const QWidget* widget, int width) {
        const QRect at = widget->geometry();
        for (const QWidget* other :
             widget->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != widget && !other->isHidden() && other->x() > at.x() && other->y() <= at.bottom() &&
                other->geometry().bottom() >= at.y())
                width = std::min(width, other->x() - at.x());
        return width;
    };
    const auto checkFit = [&](const char* name, int widthTwips, int margin) {
        const QString caption = captionOf(name);
        ASSERT_FALSE(caption.isEmpty()) << name;
        EXPECT_FALSE(holdsChinese(caption)) << name << " is not translated: " << caption.toStdString();
        const QWidget* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
        const QFontMetrics metrics(widget->font());
        const int drawn = std::max(metrics.horizontalAdvance(caption), metrics.boundingRect(caption).width());
        const int room = margin == labelMargin ? roomOf(widget, widthTwips / 15) : widthTwips / 15;
        EXPECT_LE(drawn, room - margin) << name << " \"" << caption.toStdString() << "\"";
    };
    for (const auto& c : controls)
        checkFit(c.control, c.widthTwips, c.margin);
    const QString dir = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(dir);
    w.grab().save(dir + QStringLiteral("/form1-en.png")); // for a person's look

    // The port button's other caption, once the port is open.
    w.Command16->click();
    ASSERT_TRUE(f.port->portOpen());
    checkFit("Command16", 915, buttonMargin);
}

TEST_F(English, AnOperatorSessionMeetsEnglishCaptionsAndMessages) {
    FormFixture f;
    Form1& w = *f.form;
    EXPECT_EQ(w.Command16->text(), QStringLiteral("Open port"));
    EXPECT_EQ(w.play->text(), QStringLiteral("Play"));
    // The context menu and the traffic monitor.
    TrafficMonitor monitor(w);
    EXPECT_EQ(w.reconnectAction->text(), QStringLiteral("Auto reconnect"));
    EXPECT_EQ(monitor.action()->text(), QStringLiteral("Traffic monitor (F12)"));
    monitor.show();
    ASSERT_TRUE(monitor.window());
    EXPECT_EQ(monitor.window()->windowTitle(), QStringLiteral("Traffic monitor"));
    EXPECT_EQ(monitor.window()->sendButton->text(), QStringLiteral("Send"));
    // Its column captions and directions whole.
    const QHeaderView* header = monitor.window()->table->horizontalHeader();
    const QFontMetrics cells(monitor.window()->table->font());
    for (const int column : {TrafficLog::TimeColumn, TrafficLog::DirectionColumn, TrafficLog::BytesColumn})
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
    EXPECT_GE(header->sectionSize(TrafficLog::DirectionColumn), cells.horizontalAdvance("Received") + 6);
    monitor.window()->grab().save(qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath()) +
                                  QStringLiteral("/monitor-en.png"));

    // A chip button with the port closed.
    w.play->click();
    ASSERT_EQ(f.boxes->shown.size(), 1);
    EXPECT_EQ(f.boxes->shown[0].text, QStringLiteral("Port not open"));
    EXPECT_EQ(f.boxes->shown[0].caption, QStringLiteral("Port status"));
    EXPECT_EQ(f.boxes->shown[0].icon, MessageBox::Icon::Critical);

    // The open dialog, cancelled.
    w.open_file->click();
    EXPECT_EQ(w.CommonDialog1->DialogTitle, QStringLiteral("Choose an audio file"));
    EXPECT_EQ(w.CommonDialog1->Filter, QStringLiteral("Audio files|*.mp3|Wave files|*.wav|All files|*.*"));
    ASSERT_EQ(f.boxes->shown.size(), 2);
    EXPECT_EQ(f.boxes->shown[1].text, QStringLiteral("Choose an audio file first"));

    // The board answers the device ID with a model it does not know.
    w.Command16->click();
    EXPECT_EQ(w.Command16->text(), QStringLiteral("Close port"));
    w.devid_id->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.port->writes.isEmpty(); }, 5000));
    f.port->receive(QByteArray::fromHex("000081"));
    ASSERT_EQ(f.boxes->shown.size(), 3);
    EXPECT_EQ(f.boxes->shown[2].text, QStringLiteral("Unknown device"));
    EXPECT_EQ(f.boxes->shown[2].caption, QStringLiteral("Device type"));

    // The adapter pulled out while open: the port advice in English, the button back to its caption.
    f.port->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.boxes->shown.size() == 4; }, 5000));
    EXPECT_EQ(f.boxes->shown[3].text,
              QStringLiteral("Port fake1 disconnected: the device has gone from the system; the adapter may "
                             "have been unplugged"));
    EXPECT_EQ(w.Command16->text(), QStringLiteral("Open port"));
}

TEST(ChineseSession, QtsOwnDialogsTheMonitorsRowsAndItsMessagesAreChinese) {
    QString error;
    const auto qt = installQtTranslations(InterfaceLanguage::Chinese,
                                          QLibraryInfo::path(QLibraryInfo::TranslationsPath), &error);
    ASSERT_FALSE(qt.empty()) << error.toStdString();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
              "%1 已存在。\n您想要替换它吗？");

    // The adapter pulled out and plugged back with reconnecting on.
    FormFixture f;
    f.form->reconnectAction->setChecked(true);
    f.form->Combo1->setEditText("1");
    f.form->Command16_Click();
    f.port->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.boxes->shown.size() == 1; }, 5000));
    f.port->plugBack();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.port->portOpen(); }, 5000));

    // Qt's save dialog: a name without an extension gets .txt while the text filter is chosen, and
    // the next save starts where the last went, even after a look elsewhere that was cancelled.
    f.form->Monitor->show();
    MonitorWindow* w = f.form->Monitor->window();
    const QString out = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QTemporaryDir dir, elsewhere;
    QStringList startedIn;
    QString saveCaption;
    const auto save = [&](const QString& typed) {
        QTimer::singleShot(0, [&, typed] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            startedIn << dialog->directory().absolutePath();
            if (typed.isEmpty()) {
                dialog->setDirectory(elsewhere.path());
                dialog->grab().save(out + "/monitor-save-dialog-zh.png");
                saveCaption = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->text();
            }
            dialog->selectFile(typed);
            typed.isEmpty() ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();
        });
        return w->askWhereToSave();
    };
    EXPECT_EQ(save(dir.filePath("log")), dir.filePath("log.txt"));
    EXPECT_EQ(save(""), "");
    EXPECT_EQ(save("second"), dir.filePath("second.txt"));
    EXPECT_EQ(startedIn.mid(1), QStringList({dir.path(), dir.path()}));
    EXPECT_EQ(saveCaption, "保存(&S)");
    w->askSavePath = [] { return QStringLiteral("/dev/full"); };
    w->saveButton->click();
    EXPECT_EQ(w->messageLabel->text(), "无法保存到 /dev/full：磁盘已满");

    // --trace to a full disk: told once, in the system's English words on stderr, in Chinese here.
    QStringList notices;
    const std::unique_ptr<LinkTrace> full = LinkTrace::open("/dev/full", &error);
    full->setFileFailureNotice([&](const QString& message) { notices << message; });
    full->addSink(&f.form->Monitor->log());
    full->note("n", "甲");
    full->note("n", "乙");
    EXPECT_EQ(notices,
              QStringList({"writing the trace to \"/dev/full\" failed (No space left on device); the "
                           "console goes on without it"}));
    EXPECT_TRUE(
        f.form->Monitor->log().traceText().contains(" trace to /dev/full failed: No space left on device"));
    EXPECT_EQ(
        f.form->Monitor->log().rowsText({0, 1, 2, 3, 4, 5, 6, 7}).remove(QRegularExpression("[0-9.]+\t")),
        "端口\t\t第 1 次打开：fake1，1200 8N1\n端口\t\tfake1 已断开：设备已从系统中消失，适配器可能被拔出\n"
        "端口\t\t等待 fake1 重新接上\n端口\t\t第 2 次打开：fake1，1200 8N1\n端口\t\t已重新连接 fake1\n"
        "端口\t\t甲\n端口\t\t跟踪文件 /dev/full "
        "写入失败：磁盘已满；此后不再写入，控制台照常运行\n端口\t\t乙\n");
    w->grab().save(out + "/monitor-zh.png");
}
