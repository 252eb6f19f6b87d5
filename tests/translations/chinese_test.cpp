// A Chinese session, as the console starts whatever the system's locale: Qt's own dialogs speak
// Chinese too, and no row or message of the traffic monitor holds an English word.
#include "app/language.h"
#include "formfixture.h"
#include "monitor/monitorwindow.h"
#include "monitor/trafficlog.h"
#include "monitor/trafficmonitor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

TEST(ChineseSession, QtsOwnDialogsAndTheMonitorsRowsAndMessagesAreChinese) {
    QString error;
    EXPECT_TRUE(installQtTranslations(InterfaceLanguage::English, "/nowhere", &error).empty());
    EXPECT_TRUE(error.isEmpty()) << "Qt's own texts are English";
    const auto qt = installQtTranslations(InterfaceLanguage::Chinese,
                                          QLibraryInfo::path(QLibraryInfo::TranslationsPath), &error);
    ASSERT_FALSE(qt.empty()) << error.toStdString();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
              "%1 已存在。\n您想要替换它吗？");

    // The adapter pulled out and plugged back with reconnecting on, and a save to a full disk.
    FormFixture f;
    f.form->reconnectAction->setChecked(true);
    f.form->Combo1->setEditText("1");
    f.form->Command16_Click();
    f.port->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.boxes->shown.size() == 1; }, 5000));
    f.port->plugBack();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.port->portOpen(); }, 5000));
    f.form->Monitor->show();
    MonitorWindow* w = f.form->Monitor->window();

    // Qt's own save dialog, as the operator meets it.
    const QString out = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QString saveCaption;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::qWait(50);
        dialog->grab().save(out + "/monitor-save-dialog-zh.png");
        saveCaption = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->text();
        dialog->reject();
    });
    EXPECT_EQ(w->askSavePath(), "");
    EXPECT_EQ(saveCaption, "保存(&S)");
    w->askSavePath = [] { return QStringLiteral("/dev/full"); };
    w->saveButton->click();
    EXPECT_EQ(w->messageLabel->text(), "无法保存到 /dev/full：磁盘已满");

    const TrafficLog& log = f.form->Monitor->log();
    QStringList rows;
    for (int r = 0; r < log.rowCount(); ++r)
        rows << log.data(log.index(r, TrafficLog::DirectionColumn)).toString() + " | " +
                    log.data(log.index(r, TrafficLog::MeaningColumn)).toString();
    EXPECT_EQ(rows.join('\n').toStdString(),
              QStringList({"端口 | 第 1 次打开：fake1，1200 8N1",
                           "端口 | fake1 已断开：设备已从系统中消失，适配器可能被拔出",
                           "端口 | 等待 fake1 重新接上", "端口 | 第 2 次打开：fake1，1200 8N1",
                           "端口 | 已重新连接 fake1"})
                  .join('\n')
                  .toStdString());
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    EXPECT_FALSE(rows.join('\n').remove("fake1").contains(word));

    w->grab().save(out + "/monitor-zh.png");
}
