// Choosing the interface language and finding its compiled translation.
#include "app/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {
const QString translationBaseName = QStringLiteral("quillory_en");

// Qt 6 asks for the file dialog's names of file types ("Folder", "%1 File") under a context of
// their own that its translations do not have yet; they still hold them under the dialog's.
class FileTypeNames final : public QTranslator {
public:
    explicit FileTypeNames(const QTranslator* base) : m_base(base) {}
    QString translate(const char* context, const char* source, const char*, int n) const override {
        if (!m_base || qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        return m_base->translate("QFileDialog", source, nullptr, n);
    }
    bool isEmpty() const override { return false; }

private:
    QPointer<const QTranslator> m_base;
};
} // namespace

std::optional<InterfaceLanguage> interfaceLanguageFromText(const QString& text) {
    if (text == QLatin1String("zh"))
        return InterfaceLanguage::Chinese;
    if (text == QLatin1String("en"))
        return InterfaceLanguage::English;
    return std::nullopt;
}

QStringList translationDirectories(const QString& executableDir) {
    const QDir dir(executableDir);
    return {QDir::cleanPath(dir.filePath(QStringLiteral("translations"))),
            QDir::cleanPath(dir.filePath(QStringLiteral(QUILLORY_TRANSLATIONS_FROM_BINDIR)))};
}

std::unique_ptr<QTranslator> installInterfaceLanguage(InterfaceLanguage language,
                                                      const QStringList& directories, QString* error) {
    if (language == InterfaceLanguage::Chinese)
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    for (const QString& directory : directories) {
        // The full name, so that QTranslator does not go on to try shortened names (quillory) in
        // a folder that lacks the file.
        const QString file = QDir(directory).filePath(translationBaseName + QStringLiteral(".qm"));
        if (QFileInfo::exists(file) && translator->load(file)) {
            QCoreApplication::installTranslator(translator.get());
            return translator;
        }
    }
    if (error)
        *error = QStringLiteral("the English translation %1.qm is in none of %2")
                     .arg(translationBaseName, directories.join(QStringLiteral(", ")));
    return nullptr;
}

std::vector<std::unique_ptr<QTranslator>> installQtTranslations(InterfaceLanguage language,
                                                                const QString& directory, QString* error) {
    std::vector<std::unique_ptr<QTranslator>> installed;
    if (language == InterfaceLanguage::English)
        return installed;
    const QString file = QDir(directory).filePath(QStringLiteral("qtbase_zh_CN.qm"));
    auto base = std::make_unique<QTranslator>();
    if (!QFileInfo::exists(file) || !base->load(file)) {
        if (error)
            *error = QStringLiteral("Qt's Chinese translation %1 is missing (package qt6-translations-l10n)")
                         .arg(file);
        return installed;
    }
    QCoreApplication::installTranslator(base.get());
    auto fileTypes = std::make_unique<FileTypeNames>(base.get());
    QCoreApplication::installTranslator(fileTypes.get());
    installed.push_back(std::move(fileTypes));
    installed.push_back(std::move(base));
    // Qt's dialogs also name file types after the locale: Chinese, as the window is.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    return installed;
}
