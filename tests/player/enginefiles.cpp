// Test audio files made with sox and lame.
#include "enginefiles.h"

#include "player/decoder.h"

#include <QFile>
#include <QProcess>

QString EngineFiles::sox(const QString& name, QStringList args) {
    args.replaceInStrings(QStringLiteral("%OUT"), path(name));
    return QProcess::execute(QStringLiteral("sox"), args) == 0 ? path(name) : QString();
}

QString EngineFiles::lame(const QString& wav, const QString& name, const QStringList& options) {
    const QStringList args = QStringList{QStringLiteral("--quiet")} + options + QStringList{wav, path(name)};
    return QProcess::execute(QStringLiteral("lame"), args) == 0 ? path(name) : QString();
}

QString EngineFiles::write(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
}

std::vector<int16_t> decodeAll(const QString& path) {
    QString error;
    const auto decoder = openDecoder(path, &error);
    std::vector<int16_t> all, chunk(decoder ? 4096 * size_t(decoder->channels()) : 0);
    for (int64_t got = 0; decoder && (got = decoder->read(chunk.data(), 4096)) > 0;)
        all.insert(all.end(), chunk.begin(), chunk.begin() + got * decoder->channels());
    return all;
}
