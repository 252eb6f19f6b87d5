// The shipped English translation against the sources: lupdate run on src/ finds no text that the
// translation lacks or no longer needs, no entry is left unfinished or empty, and every translation
// keeps what the console fills in or splits (placeholders, line breaks, the open dialog's patterns).
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

const QString shippedTs = QStringLiteral(QUILLORY_SOURCE_DIR "/translations/quillory_en.ts");

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type; // "", "unfinished", "vanished" or "obsolete"
};

QList<Message> readTs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    QList<Message> messages;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            messages.append({context, {}, {}, {}});
        } else if (xml.name() == QLatin1String("source") && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation") && !messages.isEmpty()) {
            messages.last().type = xml.attributes().value(QLatin1String("type")).toString();
            messages.last().translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

std::string describe(const Message& m) {
    return (m.context + QStringLiteral(" \"") + m.source + QStringLiteral("\"")).toStdString();
}

QStringList placeholders(const QString& text) {
    QStringList found;
    for (const auto& match : QRegularExpression(QStringLiteral("%\\d+")).globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

bool holdsChinese(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

} // namespace

TEST(EnglishTranslation, HoldsEveryTextOfTheSourcesAndNothingElse) {
    // lupdate merges the sources' texts into a copy of the shipped file: a text the translation lacks
    // comes in unfinished, one the sources no longer have is marked vanished.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString merged = dir.filePath(QStringLiteral("merged.ts"));
    ASSERT_TRUE(QFile::copy(shippedTs, merged));
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(LUPDATE_PATH),
                  {QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-source-language"),
                   QStringLiteral("zh_CN"), QStringLiteral("-target-language"), QStringLiteral("en"),
                   QStringLiteral(QUILLORY_SOURCE_DIR "/src"), QStringLiteral("-ts"), merged});
    ASSERT_TRUE(lupdate.waitForFinished(120000)) << "lupdate did not finish";
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAll().toStdString();

    const QList<Message> shipped = readTs(shippedTs);
    const QList<Message> fromSources = readTs(merged);
    // The console has some seventy texts; far fewer means lupdate read nothing.
    EXPECT_GE(fromSources.size(), 60);
    for (const Message& m : fromSources) {
        EXPECT_NE(m.type, QLatin1String("unfinished")) << "not translated: " << describe(m);
        EXPECT_NE(m.type, QLatin1String("vanished")) << "no longer in the sources: " << describe(m);
        EXPECT_NE(m.type, QLatin1String("obsolete")) << "no longer in the sources: " << describe(m);
        EXPECT_FALSE(m.translation.trimmed().isEmpty()) << "empty translation: " << describe(m);
    }
    EXPECT_EQ(fromSources.size(), shipped.size()) << "lupdate found texts that the shipped file lacks";
}

TEST(EnglishTranslation, KeepsPlaceholdersLinesAndPatternsAndLeavesNoChinese) {
    const QList<Message> shipped = readTs(shippedTs);
    ASSERT_FALSE(shipped.isEmpty());
    bool filterSeen = false;
    for (const Message& m : shipped) {
        EXPECT_EQ(placeholders(m.translation), placeholders(m.source)) << describe(m);
        EXPECT_EQ(m.translation.count(u'\n'), m.source.count(u'\n')) << describe(m);
        EXPECT_FALSE(holdsChinese(m.translation)) << describe(m) << " -> " << m.translation.toStdString();
        // A save dialog's filter: "description (patterns);;...", the patterns as they were.
        if (m.source.contains(QLatin1String(";;"))) {
            static const QRegularExpression patterns(QStringLiteral("\\([^)]*\\)"));
            QStringList from, to;
            for (const auto& match : patterns.globalMatch(m.source))
                from << match.captured();
            for (const auto& match : patterns.globalMatch(m.translation))
                to << match.captured();
            EXPECT_EQ(to, from) << describe(m);
            EXPECT_EQ(m.translation.count(QLatin1String(";;")), m.source.count(QLatin1String(";;")))
                << describe(m);
        }
        // The open dialog's filter: description|pattern pairs, the patterns as they were.
        if (m.source.contains(u'|')) {
            filterSeen = true;
            const QStringList from = m.source.split(u'|');
            const QStringList to = m.translation.split(u'|');
            ASSERT_EQ(to.size(), from.size()) << m.translation.toStdString();
            for (qsizetype i = 1; i < from.size(); i += 2)
                EXPECT_EQ(to[i], from[i]);
        }
    }
    EXPECT_TRUE(filterSeen) << "the open dialog's filter is not among the translated texts";
}
