// The interface language: the designed Chinese texts, or the English translation loaded from
// quillory_en.qm. Options, help and stderr are English either way and never translated.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QTranslator;

enum class InterfaceLanguage { Chinese, English };

// "zh" or "en", as --language takes them; anything else has no language.
std::optional<InterfaceLanguage> interfaceLanguageFromText(const QString& text);

// Where the console looks for its translations, first match wins: a "translations" folder beside
// the executable (the build tree), then the installed folder relative to the executable's own
// (bin/../share/quillory/translations), so that any install prefix works.
QStringList translationDirectories(const QString& executableDir);

// The translator for language from the first of directories that holds it, installed on the
// application; the caller keeps it for the run. Chinese needs none: the source texts are Chinese,
// whatever the system's locale. nullptr with *error set when no directory holds the file.
std::unique_ptr<QTranslator> installInterfaceLanguage(InterfaceLanguage language,
                                                      const QStringList& directories, QString* error);

// Qt's own translation for language (qtbase_zh_CN.qm from Qt's folder of translations, package
// qt6-translations-l10n), installed on the application, so that Qt's dialogs ("… already exists.
// Do you want to replace it?") speak the interface's language; the default locale becomes Chinese
// too, for the names of file types in them. The caller keeps the translators for the run. English
// needs none: Qt's own texts are English. Empty with *error set when the file is not in directory.
std::vector<std::unique_ptr<QTranslator>> installQtTranslations(InterfaceLanguage language,
                                                                const QString& directory, QString* error);
