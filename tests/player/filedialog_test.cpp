// The product's open-file dialog, driven offscreen: a timer plays the operator.
#include "player/qtfiledialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs act on the dialog once it is up; the dialog is modal, so ShowOpen returns after act.
void whenDialogIsUp(std::function<void(QFileDialog&)> act) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start();
}

QString outputDir() {
    const QString dir = qEnvironmentVariable("QUILLORY_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(dir);
    return dir;
}

} // namespace

TEST(QtFileDialog, ShowsTitleAndFiltersAndReturnsTheChosenPath) {
    const QString path = outputDir() + QStringLiteral("/dialog-choice.mp3");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QtFileDialog dialog;
    dialog.Flags = 0x80000;
    dialog.DialogTitle = QStringLiteral("请选择音频文件");
    dialog.Filter = QStringLiteral("音频文件|*.mp3|动画文件|*.wav|所有文件|*.*");
    QString title;
    QStringList filters;
    whenDialogIsUp([&](QFileDialog& shown) {
        title = shown.windowTitle();
        filters = shown.nameFilters();
        shown.selectFile(path);
        static_cast<QDialog&>(shown).accept(); // public there, protected in QFileDialog
    });
    dialog.ShowOpen();
    EXPECT_EQ(title, QStringLiteral("请选择音频文件"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("音频文件 (*.mp3)"), QStringLiteral("动画文件 (*.wav)"),
                                    QStringLiteral("所有文件 (*)")}));
    EXPECT_EQ(QFileInfo(dialog.FileName).canonicalFilePath(), QFileInfo(path).canonicalFilePath());

    whenDialogIsUp([](QFileDialog& shown) { shown.reject(); });
    dialog.ShowOpen();
    EXPECT_TRUE(dialog.FileName.isEmpty());
}
