// libsndfile behind the Decoder interface, reading through the file handle it is given.
#include "player/sndfiledecoder.h"

#include <QCoreApplication>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace {
QString notAudio() {
    return QCoreApplication::translate("Decoder", "不是可以播放的音频文件（无法识别格式或已损坏）");
}

// libsndfile's virtual I/O on a QFile: no path reaches libsndfile, so no length limit of its own applies.
sf_count_t fileLength(void* file) {
    return static_cast<QFile*>(file)->size();
}

sf_count_t fileSeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<QFile*>(user);
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += file->pos();
    else if (whence == SEEK_END)
        target += file->size();
    else if (whence != SEEK_SET)
        return -1;
    if (target < 0 || !file->seek(target))
        return -1;
    return target;
}

sf_count_t fileRead(void* out, sf_count_t bytes, void* file) {
    return std::max<qint64>(static_cast<QFile*>(file)->read(static_cast<char*>(out), bytes), 0);
}

sf_count_t fileWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t fileTell(void* file) {
    return static_cast<QFile*>(file)->pos();
}

SF_VIRTUAL_IO fileIo{fileLength, fileSeek, fileRead, fileWrite, fileTell};

// Where a sample of the format stands at full scale, as libsndfile hands it over as float: an integer
// code of n bits is scaled by 2^(n-1), so its most positive code lies one step below +1.0; A-law and
// µ-law reach ±32256 and ±32124 of 32768; floating point and the codecs that decode to it (Vorbis,
// Opus, MPEG) reach full scale at ±1.0; every other codec decodes to 16-bit integers.
Decoder::FullScale fullScaleOf(int format) {
    const auto integer = [](int bits) {
        const double steps = double(int64_t(1) << (bits - 1));
        return Decoder::FullScale{float((steps - 1.0) / steps), -1.0f};
    };
    const auto symmetric = [](double code) {
        return Decoder::FullScale{float(code / 32768.0), float(-code / 32768.0)};
    };
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_DPCM_8:
        return integer(8);
    case SF_FORMAT_DWVW_12:
        return integer(12);
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
        return integer(24);
    case SF_FORMAT_PCM_32:
        return integer(32);
    case SF_FORMAT_ALAW:
        return symmetric(32256);
    case SF_FORMAT_ULAW:
        return symmetric(32124);
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III:
        return {1.0f, -1.0f};
    default:
        return integer(16);
    }
}

// Full scale is ±1.0, as libsndfile delivers every format read as float; louder samples clip, and a
// sample that is not a number is silence. 32768 maps a 16-bit file converted to float back onto itself.
int16_t toInt16(float sample) {
    if (std::isnan(sample))
        return 0;
    return static_cast<int16_t>(std::clamp(std::nearbyint(sample * 32768.0f), -32768.0f, 32767.0f));
}
} // namespace

SndfileDecoder::~SndfileDecoder() {
    if (m_file)
        sf_close(m_file);
}

std::unique_ptr<SndfileDecoder> SndfileDecoder::open(std::unique_ptr<QFile>& file, QString* error,
                                                     Refusal* refusal) {
    *refusal = Refusal::None;
    SF_INFO info{};
    SNDFILE* handle = sf_open_virtual(&fileIo, SFM_READ, &info, file.get());
    if (!handle) {
        *refusal =
            sf_error(nullptr) == SF_ERR_UNRECOGNISED_FORMAT ? Refusal::Unrecognised : Refusal::Unplayable;
        *error = notAudio();
        return nullptr;
    }
    std::unique_ptr<SndfileDecoder> decoder(new SndfileDecoder);
    decoder->m_file = handle;
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        // libsndfile only estimates the length of some mp3s: Mp3Decoder plays them.
        *refusal = Refusal::Mpeg;
        return nullptr;
    }
    *refusal = Refusal::Unplayable;
    if (info.samplerate <= 0 || info.samplerate > 768000 || info.channels < 1 || info.channels > 8) {
        *error = QCoreApplication::translate("Decoder", "文件的采样率或声道数无法播放");
        return nullptr;
    }
    if (info.frames <= 0 || !info.seekable) {
        *error = QCoreApplication::translate("Decoder", "文件里没有可以播放的声音数据（可能已损坏或被截断）");
        return nullptr;
    }
    *refusal = Refusal::None;
    decoder->m_sampleRate = info.samplerate;
    decoder->m_channels = info.channels;
    decoder->m_frames = info.frames;
    decoder->m_fullScale = fullScaleOf(info.format);
    decoder->m_source = std::move(file);
    return decoder;
}

bool SndfileDecoder::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, m_frames);
    return sf_seek(m_file, frame, SEEK_SET) >= 0;
}

int64_t SndfileDecoder::read(int16_t* out, int64_t maxFrames) {
    if (maxFrames <= 0)
        return 0;
    // Read as float, whatever the file holds: libsndfile reads floating-point samples as 16-bit without
    // scaling them (all but silence), and scales every integer width, A-law, µ-law and ADPCM exactly.
    m_floats.resize(static_cast<size_t>(maxFrames * m_channels));
    // A file cut short ends early: libsndfile returns what is there, then 0.
    const int64_t got = std::max<sf_count_t>(sf_readf_float(m_file, m_floats.data(), maxFrames), 0);
    std::transform(m_floats.begin(), m_floats.begin() + got * m_channels, out, toInt16);
    return got;
}

int64_t SndfileDecoder::readFloat(float* out, int64_t maxFrames) {
    if (maxFrames <= 0)
        return 0;
    const int64_t got = std::max<sf_count_t>(sf_readf_float(m_file, out, maxFrames), 0);
    // As read() has it: a sample that is not a number is silence, and an infinite one stays finite.
    for (float& sample : std::span(out, size_t(got * m_channels))) {
        if (std::isnan(sample))
            sample = 0.0f;
        else if (std::isinf(sample))
            sample = std::copysign(std::numeric_limits<float>::max(), sample);
    }
    return got;
}
