// Opening a file and choosing its decoder by what it holds, and the millisecond arithmetic every decoder
// shares.
#include "player/decoder.h"

#include "player/mp3decoder.h"
#include "player/sndfiledecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

int64_t Decoder::readFloat(float* out, int64_t maxFrames) {
    if (maxFrames <= 0 || m_channels <= 0)
        return 0;
    m_shorts.resize(size_t(maxFrames) * size_t(m_channels));
    const int64_t got = read(m_shorts.data(), maxFrames);
    if (got <= 0)
        return got;
    const size_t samples = size_t(got) * size_t(m_channels);
    for (size_t i = 0; i < samples; ++i)
        out[i] = float(m_shorts[i]) * (1.0f / 32768.0f);
    return got;
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
QString isFolder() {
    return QCoreApplication::translate("Decoder", "这是一个文件夹，不是音频文件");
}

QString notRegularFile() {
    return QCoreApplication::translate("Decoder",
                                       "这不是普通文件（而是设备、管道或套接字），不能当作音频文件打开");
}

// Why a path could not be opened, in the operator's terms: the file's fault, the permissions, or a
// limit of the system, never "damaged" for what is not.
QString openFailure(int error) {
#ifdef Q_OS_UNIX
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QCoreApplication::translate("Decoder", "文件不存在");
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("Decoder", "文件无法读取（没有读取权限）");
    case ENAMETOOLONG:
        return QCoreApplication::translate(
                   "Decoder",
                   "文件的完整路径太长，系统无法打开（最多 %1 字节）；请把文件移到路径较短的文件夹")
            .arg(PATH_MAX - 1);
    default:
        break;
    }
#endif
    return QCoreApplication::translate("Decoder", "文件无法读取：%1").arg(qt_error_string(error));
}

// Opens path for reading by handle, so that no decoder sees the path. Only a regular file with something
// in it is opened: a FIFO or a device would block or never end.
std::unique_ptr<QFile> openAudioFile(const QString& path, QString* error) {
    auto file = std::make_unique<QFile>();
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        *error = openFailure(errno);
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        *error = isFolder();
        return nullptr;
    }
    // Checked before opening: opening a serial port would pulse its control lines.
    if (!S_ISREG(st.st_mode)) {
        *error = notRegularFile();
        return nullptr;
    }
    // Without O_NONBLOCK, a name replaced by a FIFO since the check would block until a writer came.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        *error = openFailure(errno);
        return nullptr;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = notRegularFile();
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = openFailure(EIO);
        return nullptr;
    }
#else
    file->setFileName(path);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *error = QFileInfo(path).isDir() ? isFolder() : file->errorString();
        return nullptr;
    }
#endif
    if (file->size() == 0) {
        *error = QCoreApplication::translate("Decoder", "文件是空的");
        return nullptr;
    }
    return file;
}

// An MPEG audio stream starts with an ID3v2 tag or a frame header: 11 sync bits, a layer, a bit rate
// and a sample rate that exist. No other container starts so (ADTS AAC has layer bits 00).
bool startsAsMpegAudio(QFile& file) {
    const QByteArray head = file.read(4);
    file.seek(0);
    if (head.size() < 4)
        return false;
    if (head.startsWith("ID3"))
        return true;
    const auto b = [&](int i) { return static_cast<unsigned char>(head[i]); };
    return b(0) == 0xFF && (b(1) & 0xE0) == 0xE0 && (b(1) & 0x06) != 0 && (b(2) & 0xF0) != 0xF0 &&
           (b(2) & 0x0C) != 0x0C;
}
} // namespace

std::unique_ptr<Decoder> openDecoder(const QString& path, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    if (path.isEmpty()) {
        *error = QCoreApplication::translate("Decoder", "没有指定文件");
        return nullptr;
    }
    std::unique_ptr<QFile> file = openAudioFile(path, error);
    if (!file)
        return nullptr;

    // The content decides, never the name: mp3 goes to mpg123, which knows its exact length; libsndfile
    // recognises everything else. A file libsndfile does not recognise at all may still be an mp3 with
    // something before its first frame, which mpg123 skips.
    if (startsAsMpegAudio(*file))
        return Mp3Decoder::open(std::move(file), error);
    SndfileDecoder::Refusal refusal = SndfileDecoder::Refusal::None;
    if (auto decoder = SndfileDecoder::open(file, error, &refusal))
        return decoder;
    if (refusal == SndfileDecoder::Refusal::Unplayable)
        return nullptr;
    QString mp3Error;
    if (auto decoder = Mp3Decoder::open(std::move(file), &mp3Error))
        return decoder;
    if (refusal == SndfileDecoder::Refusal::Mpeg)
        *error = mp3Error;
    return nullptr;
}
