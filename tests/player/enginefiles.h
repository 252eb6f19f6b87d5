// Audio files made at test time with sox and lame in a temporary folder, and a full decode of one
// through the engine's decoders.
#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

class EngineFiles {
public:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // sox with args, "%OUT" standing for the path of name; lame from wav to name. Empty when the tool
    // failed (why, on stderr).
    QString sox(const QString& name, QStringList args);
    QString lame(const QString& wav, const QString& name, const QStringList& options);
    QString write(const QString& name, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
};

// Every frame a decoder delivers for the file, interleaved; empty when the file does not open.
std::vector<int16_t> decodeAll(const QString& path);
