// The --inspect mode: each file measured in turn by the audio engine's analysis.
#include "app/inspect.h"

#include "player/sourceanalysis.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <cstring>

namespace {
const QString inspectName = QStringLiteral("inspect");
const QString jsonName = QStringLiteral("json");
constexpr int exitUnreadable = 2;
} // namespace

bool asksForInspect(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "--inspect") == 0)
            return true;
    }
    return false;
}

void addInspectOptions(QCommandLineParser& parser) {
    parser.addOption(
        {inspectName,
         QStringLiteral("Print what each audio FILE given as an argument holds, one line per file: "
                        "duration, sample rate, channels, peak and RMS level in dBFS, samples "
                        "at full scale (clipped), leading and trailing silence below -50 dBFS; "
                        "then exit (2 when a file cannot be read). Needs no display.")});
    parser.addOption({jsonName, QStringLiteral("With --inspect: print one JSON array, an object per file.")});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("With --inspect: the audio files."),
                                 QStringLiteral("[--inspect [--json] FILE...]"));
}

bool inspectAsked(const QCommandLineParser& parser) {
    return parser.isSet(inspectName);
}

bool jsonAsked(const QCommandLineParser& parser) {
    return parser.isSet(jsonName);
}

int inspectFiles(const QStringList& files, bool json) {
    int exitCode = 0;
    QJsonArray array;
    for (const QString& file : files) {
        QString error;
        const std::optional<player::SourceFigures> figures = player::analyseSource(file, &error);
        if (!figures) {
            std::fprintf(stderr, "quillory: %s: %s\n", qPrintable(file), qPrintable(error));
            exitCode = exitUnreadable;
            continue;
        }
        if (json) {
            array.append(player::figuresJson(file, *figures));
        } else {
            std::printf("%s: %s\n", qPrintable(file), qPrintable(player::figuresLine(*figures)));
            std::fflush(stdout);
        }
    }
    if (json)
        std::fputs(QJsonDocument(array).toJson(QJsonDocument::Indented).constData(), stdout);
    return exitCode;
}
