// Test audio files made with sox and lame.
#include "enginefiles.h"

#include "player/decoder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdio>

EngineFiles::EngineFiles() : m_dir(QDir::tempPath() + QStringLiteral("/quillory-engine-XXXXXX")) {}

bool runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start %s (is it installed?)\n", qPrintable(program));
        return false;
    }
    p.waitForFinished(120000);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed:\n%s\n", qPrintable(program), qPrintable(args.join(u' ')),
                     p.readAll().constData());
        return false;
    }
    return true;
}

QString EngineFiles::sox(const QString& name, const QStringList& args) {
    const QString out = path(name);
    QStringList all = args;
    const qsizetype at = all.indexOf(QStringLiteral("%OUT"));
    if (at < 0)
        return {};
    all[at] = out;
    return runTool(QStringLiteral("sox"), all) ? out : QString();
}

QString EngineFiles::lame(const QString& wav, const QString& name, const QStringList& options) {
    const QString out = path(name);
    QStringList all{QStringLiteral("--quiet")};
    all << options << wav << out;
    return runTool(QStringLiteral("lame"), all) ? out : QString();
}

QString EngineFiles::write(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(bytes);
    return f.fileName();
}

std::vector<int16_t> decodeAll(const QString& path, int* channels, int* rate) {
    QString error;
    auto decoder = openDecoder(path, &error);
    if (!decoder)
        return {};
    if (channels)
        *channels = decoder->channels();
    if (rate)
        *rate = decoder->sampleRate();
    std::vector<int16_t> all;
    std::vector<int16_t> chunk(static_cast<size_t>(4096 * decoder->channels()));
    for (;;) {
        const int64_t got = decoder->read(chunk.data(), 4096);
        if (got <= 0)
            break;
        all.insert(all.end(), chunk.begin(), chunk.begin() + got * decoder->channels());
    }
    return all;
}
