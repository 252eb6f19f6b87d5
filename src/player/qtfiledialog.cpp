// The product's open-file dialog.
#include "player/qtfiledialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

QString qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? parts[i + 1] : QString();
        if (description.isEmpty() && pattern.trimmed().isEmpty())
            continue;
        QStringList globs;
        for (const QString& glob : pattern.split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = glob.trimmed();
            if (!trimmed.isEmpty())
                globs.append(trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (globs.isEmpty())
            globs.append(QStringLiteral("*"));
        entries.append(QStringLiteral("%1 (%2)").arg(description, globs.join(u' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

void QtFileDialog::ShowOpen() {
    QFileDialog dialog(m_parent, DialogTitle);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qtNameFilters(Filter));
    if (!FileName.isEmpty())
        dialog.setDirectory(QFileInfo(FileName).absolutePath());
    FileName.clear();
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty())
        FileName = chosen.first();
}
