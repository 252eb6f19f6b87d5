// libsndfile behind the Decoder interface.
#include "player/sndfiledecoder.h"

#include <QCoreApplication>
#include <QFile>

#include <sndfile.h>

#include <algorithm>

namespace {
const char* const kNotAudio = QT_TRANSLATE_NOOP("Decoder", "不是可以播放的音频文件（无法识别格式或已损坏）");
const char* const kNoAudio =
    QT_TRANSLATE_NOOP("Decoder", "文件里没有可以播放的声音数据（可能已损坏或被截断）");
const char* const kBadShape = QT_TRANSLATE_NOOP("Decoder", "文件的采样率或声道数无法播放");
// Looked up when a file fails, in the interface language chosen at start-up.
QString reason(const char* text) {
    return QCoreApplication::translate("Decoder", text);
}
} // namespace

SndfileDecoder::~SndfileDecoder() {
    if (m_file)
        sf_close(m_file);
}

std::unique_ptr<SndfileDecoder> SndfileDecoder::open(const QString& path, QString* error, bool* isMpeg) {
    *isMpeg = false;
    SF_INFO info{};
    const QByteArray name = QFile::encodeName(path);
    SNDFILE* file = sf_open(name.constData(), SFM_READ, &info);
    if (!file) {
        *error = reason(kNotAudio);
        return nullptr;
    }
    std::unique_ptr<SndfileDecoder> decoder(new SndfileDecoder);
    decoder->m_file = file;
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        *isMpeg = true;
        *error = reason(kNotAudio);
        return nullptr;
    }
    if (info.samplerate <= 0 || info.samplerate > 768000 || info.channels < 1 || info.channels > 8) {
        *error = reason(kBadShape);
        return nullptr;
    }
    if (info.frames <= 0 || !info.seekable) {
        *error = reason(kNoAudio);
        return nullptr;
    }
    // Float files louder than full scale clip instead of wrapping around when read as 16-bit.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    decoder->m_sampleRate = info.samplerate;
    decoder->m_channels = info.channels;
    decoder->m_frames = info.frames;
    return decoder;
}

bool SndfileDecoder::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, m_frames);
    return sf_seek(m_file, frame, SEEK_SET) >= 0;
}

int64_t SndfileDecoder::read(int16_t* out, int64_t maxFrames) {
    if (maxFrames <= 0)
        return 0;
    // A file cut short ends early: libsndfile returns what is there, then 0.
    return std::max<sf_count_t>(sf_readf_short(m_file, out, maxFrames), 0);
}
