// libmpg123 behind the Decoder interface.
#include "player/mp3decoder.h"

#include <QCoreApplication>
#include <QFile>

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {
QString notMp3() {
    return QCoreApplication::translate("Decoder", "不是可以播放的 mp3 文件（无法识别或已损坏）");
}
} // namespace

// mpg123 reads each frame's header and body with reads of a few hundred bytes and skips with small
// seeks. Left to its own file reader that is a system call each, and the scan of a 1-hour file costs
// over ten times what it does through this buffer.
class Mp3Decoder::Reader {
public:
    explicit Reader(std::unique_ptr<QFile> file) : m_file(std::move(file)) {}
    bool rewind() { return m_file->seek(0); }
    int handle() const { return m_file->handle(); }

    static ssize_t read(void* handle, void* out, size_t bytes) {
        return static_cast<Reader*>(handle)->read(static_cast<char*>(out), bytes);
    }
    static off_t seek(void* handle, off_t offset, int whence) {
        return static_cast<Reader*>(handle)->seek(offset, whence);
    }

private:
    ssize_t read(char* out, size_t bytes) {
        size_t done = 0;
        while (done < bytes) {
            if (m_at == m_filled) {
                const qint64 got = m_file->read(m_buffer.data(), qint64(m_buffer.size()));
                if (got < 0 && done == 0)
                    return -1;
                if (got <= 0)
                    break;
                m_start += m_filled;
                m_filled = size_t(got);
                m_at = 0;
            }
            const size_t n = std::min(bytes - done, m_filled - m_at);
            std::memcpy(out + done, m_buffer.data() + m_at, n);
            m_at += n;
            done += n;
        }
        return ssize_t(done);
    }

    off_t seek(off_t offset, int whence) {
        int64_t target = offset;
        if (whence == SEEK_CUR)
            target += m_start + int64_t(m_at);
        else if (whence == SEEK_END)
            target += m_file->size();
        else if (whence != SEEK_SET)
            return -1;
        if (target < 0)
            return -1;
        // Most seeks skip within what has been read already.
        if (target >= m_start && target <= m_start + int64_t(m_filled)) {
            m_at = size_t(target - m_start);
            return off_t(target);
        }
        if (!m_file->seek(target))
            return -1;
        m_start = target;
        m_filled = 0;
        m_at = 0;
        return off_t(target);
    }

    std::unique_ptr<QFile> m_file;
    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
    int64_t m_start = 0; // file offset of m_buffer[0]
    size_t m_filled = 0;
    size_t m_at = 0;
};

Mp3Decoder::Mp3Decoder() = default;

Mp3Decoder::~Mp3Decoder() {
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
}

bool Mp3Decoder::start(std::unique_ptr<QFile> file, QString* error) {
    // Since 1.27 mpg123_init() is a no-op, but older libraries need it once before anything else.
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { mpg123_init(); });

    int err = MPG123_OK;
    m_handle = mpg123_new(nullptr, &err);
    if (!m_handle) {
        *error = QCoreApplication::translate("Decoder", "mp3 解码器无法启动：%1")
                     .arg(QString::fromUtf8(mpg123_plain_strerror(err)));
        return false;
    }
    // Gapless trims the encoder delay and padding so frame 0 is the first sample of the original
    // recording; quiet keeps a damaged file from writing to the console.
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.);

    m_reader = std::make_unique<Reader>(std::move(file));
    if (!m_reader->rewind()) {
        *error = QCoreApplication::translate("Decoder", "文件无法读取");
        return false;
    }
    if (mpg123_replace_reader_handle(m_handle, &Reader::read, &Reader::seek, nullptr) != MPG123_OK ||
        mpg123_open_handle(m_handle, m_reader.get()) != MPG123_OK) {
        *error = notMp3();
        return false;
    }
    return true;
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::open(std::unique_ptr<QFile> file, QString* error) {
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder);
    if (!decoder->start(std::move(file), error))
        return nullptr;
    mpg123_handle* h = decoder->m_handle;
    // The scan reads every frame header: the only way to know the length of a VBR file without a
    // Xing header, and it builds the seek index that makes seeking exact.
    if (mpg123_scan(h) != MPG123_OK) {
        *error = notMp3();
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
        channels > 2) {
        *error = notMp3();
        return nullptr;
    }
    // One fixed output format for the whole file: a stream that switches rate or channel count midway
    // is converted by mpg123 instead of changing under the sound output.
    mpg123_format_none(h);
    if (mpg123_format(h, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK) {
        *error = notMp3();
        return nullptr;
    }
    const off_t length = mpg123_length(h);
    if (length <= 0) {
        *error = QCoreApplication::translate("Decoder", "文件里没有可以播放的声音数据（可能已损坏或被截断）");
        return nullptr;
    }
    decoder->m_sampleRate = static_cast<int>(rate);
    decoder->m_channels = channels;
    decoder->m_frames = static_cast<int64_t>(length);
    if (!decoder->seek(0)) {
        *error = notMp3();
        return nullptr;
    }
    return decoder;
}

std::unique_ptr<Decoder> Mp3Decoder::twin() const {
#ifdef Q_OS_LINUX
    // Through /proc the same file opens again, whatever its name has become, with an offset of its own.
    auto file = std::make_unique<QFile>(QStringLiteral("/proc/self/fd/%1").arg(m_reader->handle()));
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return nullptr;
    off_t* offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (mpg123_index(m_handle, &offsets, &step, &fill) != MPG123_OK || fill == 0)
        return nullptr;
    std::unique_ptr<Mp3Decoder> twin(new Mp3Decoder);
    QString ignored;
    if (!twin->start(std::move(file), &ignored) ||
        mpg123_set_index(twin->m_handle, offsets, step, fill) != MPG123_OK)
        return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(twin->m_handle, &rate, &channels, &encoding) != MPG123_OK || rate != m_sampleRate ||
        channels != m_channels)
        return nullptr;
    mpg123_format_none(twin->m_handle);
    if (mpg123_format(twin->m_handle, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK)
        return nullptr;
    twin->m_sampleRate = m_sampleRate;
    twin->m_channels = m_channels;
    twin->m_frames = m_frames;
    if (!twin->seek(0))
        return nullptr;
    return twin;
#else
    return nullptr;
#endif
}

bool Mp3Decoder::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, m_frames);
    return mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) >= 0;
}

int64_t Mp3Decoder::read(int16_t* out, int64_t maxFrames) {
    if (maxFrames <= 0)
        return 0;
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(m_channels);
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    const size_t wanted = static_cast<size_t>(maxFrames) * frameBytes;
    size_t got = 0;
    // mpg123_read may return less than asked (a frame boundary, a format notice); keep going until the
    // buffer is full or the file ends so that callers see short reads only at the end. A damaged file
    // must not keep it turning without progress.
    int idle = 0;
    while (got < wanted && idle < 64) {
        size_t done = 0;
        const int rc = mpg123_read(m_handle, bytes + got, wanted - got, &done);
        got += done;
        idle = done == 0 ? idle + 1 : 0;
        if (rc == MPG123_DONE)
            break;
        if (rc == MPG123_NEW_FORMAT || rc == MPG123_OK)
            continue;
        // A damaged frame midway: mpg123 resyncs by itself on the next call unless it cannot go on.
        if (done == 0) {
            if (got == 0)
                return -1;
            break;
        }
    }
    return static_cast<int64_t>(got / frameBytes);
}
