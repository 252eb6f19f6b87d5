// Choosing the interface language and finding its compiled translation.
#include "app/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

namespace {
const QString translationBaseName = QStringLiteral("quillory_en");
}

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
