// Audio files made at test time with sox and lame in a temporary folder, and small helpers to read
// them back through the engine's decoders.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

class EngineFiles {
public:
    EngineFiles();
    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // sox with the given arguments; the output file name comes first after the input options.
    // Returns the path of `name`, or an empty string when sox failed (the reason goes to stderr).
    QString sox(const QString& name, const QStringList& args);
    // lame -q from wav to name with the given options.
    QString lame(const QString& wav, const QString& name, const QStringList& options);
    // A file of the given bytes.
    QString write(const QString& name, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
};

// Runs program with args to completion; false (with the output on stderr) when it fails.
bool runTool(const QString& program, const QStringList& args);

// Every frame a decoder delivers for the file, interleaved; empty when the file does not open.
std::vector<int16_t> decodeAll(const QString& path, int* channels = nullptr, int* rate = nullptr);
