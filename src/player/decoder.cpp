// Choosing a decoder for a file, and the millisecond arithmetic every decoder shares.
#include "player/decoder.h"

#include "player/mp3decoder.h"
#include "player/sndfiledecoder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

int32_t Decoder::lengthMs() const {
    return static_cast<int32_t>(std::min<int64_t>(msAtFrame(m_frames), std::numeric_limits<int32_t>::max()));
}

int64_t Decoder::frameAtMs(int64_t ms) const {
    if (ms <= 0 || m_sampleRate <= 0)
        return 0;
    // A Long of milliseconds times any real rate stays far inside 64 bits; the clamp keeps it so for
    // whatever a caller passes.
    const int64_t limit = std::numeric_limits<int64_t>::max() / m_sampleRate;
    if (ms >= limit)
        return m_frames;
    const int64_t frame = (ms * m_sampleRate + 999) / 1000;
    return std::min(frame, m_frames);
}

int64_t Decoder::msAtFrame(int64_t frame) const {
    if (frame <= 0 || m_sampleRate <= 0)
        return 0;
    // frames() of a file is below 2^40 for any rate, so the product cannot overflow.
    return frame / m_sampleRate * 1000 + frame % m_sampleRate * 1000 / m_sampleRate;
}

FileStamp FileStamp::of(const QString& path) {
    FileStamp stamp;
    if (path.isEmpty())
        return stamp;
#ifdef Q_OS_UNIX
    // stat() in one call: the inode tells a file replaced under the same name, the change time a file
    // rewritten in place within the modification time's resolution.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.device = uint64_t(st.st_dev);
    stamp.inode = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
#endif
    stamp.valid = true;
    return stamp;
}

bool FileStamp::matches(const FileStamp& other) const {
    return valid && other.valid && device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}

namespace {
bool looksLikeMp3Name(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mp3") || suffix == QLatin1String("mp2") ||
           suffix == QLatin1String("mpga");
}
} // namespace

std::unique_ptr<Decoder> openDecoder(const QString& path, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    if (path.isEmpty()) {
        *error = QStringLiteral("没有指定文件");
        return nullptr;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("文件不存在");
        return nullptr;
    }
    if (info.isDir()) {
        *error = QStringLiteral("这是一个文件夹，不是音频文件");
        return nullptr;
    }
    if (!info.isReadable()) {
        *error = QStringLiteral("文件无法读取（没有读取权限）");
        return nullptr;
    }
    if (info.size() == 0) {
        *error = QStringLiteral("文件是空的");
        return nullptr;
    }

    if (looksLikeMp3Name(path))
        return Mp3Decoder::open(path, error);

    bool isMpeg = false;
    QString sndfileError;
    if (auto decoder = SndfileDecoder::open(path, &sndfileError, &isMpeg))
        return decoder;
    if (isMpeg)
        return Mp3Decoder::open(path, error);
    *error = sndfileError;
    return nullptr;
}
