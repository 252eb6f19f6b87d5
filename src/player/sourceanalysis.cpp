// The measuring of a source file: each thread decodes a part of the file and meters it, and the
// parts' meters join in file order.
#include "player/sourceanalysis.h"

#include "player/decoder.h"
#include "player/timetext.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace player {

namespace {

constexpr int64_t kBlockFrames = 16384;
// A part shorter than this is not worth a thread of its own.
constexpr int64_t kMinPartSeconds = 20;
constexpr int kMaxThreads = 4;

// The figures of a run of frames, in the run's own frame numbers.
class LevelMeter {
public:
    LevelMeter(int channels, Decoder::FullScale fullScale)
        : m_channels(channels), m_fullScale(fullScale),
          m_soundLevel(float(std::pow(10.0, silenceDbfs / 20.0))) {}

    void add(const float* samples, int64_t frames) {
        const size_t count = size_t(frames) * size_t(m_channels);
        // Four independent lanes, so that no lane waits for the sum before it.
        constexpr size_t lanes = 4;
        float peak[lanes] = {m_peak, m_peak, m_peak, m_peak};
        double squares[lanes] = {};
        int64_t clipped[lanes] = {};
        const auto take = [&](size_t lane, float x) {
            peak[lane] = std::max(peak[lane], std::abs(x));
            squares[lane] += double(x) * double(x);
            clipped[lane] += int64_t(x >= m_fullScale.positive) + int64_t(x <= m_fullScale.negative);
        };
        size_t i = 0;
        for (; i + lanes <= count; i += lanes)
            for (size_t lane = 0; lane < lanes; ++lane)
                take(lane, samples[i + lane]);
        for (; i < count; ++i)
            take(0, samples[i]);
        for (size_t lane = 0; lane < lanes; ++lane) {
            m_peak = std::max(m_peak, peak[lane]);
            m_squares += squares[lane];
            m_clipped += clipped[lane];
        }

        // Sound is looked for from the front until it is first found, and from the back of each block.
        const auto soundAt = [&](int64_t frame) {
            const float* f = samples + size_t(frame) * size_t(m_channels);
            return std::any_of(f, f + m_channels, [&](float x) { return std::abs(x) >= m_soundLevel; });
        };
        for (int64_t f = frames - 1; f >= 0; --f) {
            if (soundAt(f)) {
                m_lastSound = m_frames + f;
                if (m_firstSound < 0) {
                    int64_t first = 0;
                    while (!soundAt(first))
                        ++first;
                    m_firstSound = m_frames + first;
                }
                break;
            }
        }
        m_frames += frames;
    }

    // Takes in the meter of the frames that follow this meter's.
    void append(const LevelMeter& next) {
        m_peak = std::max(m_peak, next.m_peak);
        m_squares += next.m_squares;
        m_clipped += next.m_clipped;
        if (next.m_firstSound >= 0) {
            if (m_firstSound < 0)
                m_firstSound = m_frames + next.m_firstSound;
            m_lastSound = m_frames + next.m_lastSound;
        }
        m_frames += next.m_frames;
    }

    int64_t frames() const { return m_frames; }
    float peak() const { return m_peak; }

    SourceFigures figures(const Decoder& decoder) const {
        SourceFigures out;
        out.sampleRate = decoder.sampleRate();
        out.channels = decoder.channels();
        out.durationMs = decoder.msAtFrame(m_frames);
        out.peakDbfs = decibels(m_peak);
        const double samples = double(m_frames) * double(m_channels);
        out.rmsDbfs = samples > 0 ? decibels(std::sqrt(m_squares / samples)) : levelFloorDbfs;
        out.clipped = m_clipped;
        if (m_firstSound < 0) {
            out.leadingSilenceMs = out.durationMs;
            out.trailingSilenceMs = out.durationMs;
        } else {
            out.leadingSilenceMs = decoder.msAtFrame(m_firstSound);
            out.trailingSilenceMs = decoder.msAtFrame(m_frames - 1 - m_lastSound);
        }
        return out;
    }

private:
    // To 0.1 dB, never below the floor, and never "-0.0".
    static double decibels(double level) {
        if (!(level > 0.0))
            return levelFloorDbfs;
        const double db = std::round(20.0 * std::log10(level) * 10.0) / 10.0;
        return std::max(db, levelFloorDbfs) + 0.0;
    }

    int m_channels;
    Decoder::FullScale m_fullScale;
    float m_soundLevel;
    int64_t m_frames = 0;
    float m_peak = 0.0f;
    double m_squares = 0.0;
    int64_t m_clipped = 0;
    int64_t m_firstSound = -1;
    int64_t m_lastSound = -1;
};

bool cancelled(const AnalysisOptions& options) {
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

struct Part {
    std::unique_ptr<Decoder> decoder;
    int64_t from = 0;
    int64_t frames = -1; // -1: to the end of the file
    LevelMeter meter;
    bool whole = false; // read as far as asked
};

void measure(Part& part, const AnalysisOptions& options) {
    Decoder& decoder = *part.decoder;
    if (!decoder.seek(part.from))
        return;
    std::vector<float> block(size_t(kBlockFrames) * size_t(decoder.channels()));
    int64_t left = part.frames < 0 ? std::numeric_limits<int64_t>::max() : part.frames;
    while (left > 0 && !cancelled(options)) {
        const int64_t got = decoder.readFloat(block.data(), std::min(left, kBlockFrames));
        // A decode error ends the sound there, as it ends playing.
        if (got <= 0)
            break;
        part.meter.add(block.data(), got);
        left -= got;
    }
    part.whole = part.frames < 0 || left == 0;
}

int threadsFor(const AnalysisOptions& options, const Decoder& decoder) {
    int threads = options.threads > 0 ? options.threads
                                      : std::clamp(int(std::thread::hardware_concurrency()), 1, kMaxThreads);
    const int64_t partFrames = kMinPartSeconds * decoder.sampleRate();
    if (options.threads <= 0 && partFrames > 0)
        threads = int(std::clamp<int64_t>(decoder.frames() / partFrames, 1, threads));
    return threads;
}

std::optional<LevelMeter> measureInParts(std::unique_ptr<Decoder>& first, int threads,
                                         const AnalysisOptions& options) {
    std::vector<Part> parts;
    parts.push_back(Part{std::move(first), 0, -1, LevelMeter(0, {}), false});
    Decoder& decoder = *parts.front().decoder;
    for (int i = 1; i < threads; ++i) {
        std::unique_ptr<Decoder> twin = decoder.twin();
        if (!twin)
            break;
        parts.push_back(Part{std::move(twin), 0, -1, LevelMeter(0, {}), false});
    }
    const int64_t total = decoder.frames();
    const int64_t count = int64_t(parts.size());
    for (int64_t i = 0; i < count; ++i) {
        Part& part = parts[size_t(i)];
        part.from = total / count * i;
        part.frames = i + 1 < count ? total / count : -1;
        part.meter = LevelMeter(decoder.channels(), decoder.fullScale());
    }
    std::vector<std::thread> workers;
    for (size_t i = 1; i < parts.size(); ++i)
        workers.emplace_back([&part = parts[i], &options] { measure(part, options); });
    measure(parts.front(), options);
    for (std::thread& worker : workers)
        worker.join();
    first = std::move(parts.front().decoder);

    // A part that ended before its end leaves a gap: the file is measured again in one pass.
    for (const Part& part : parts)
        if (!part.whole)
            return std::nullopt;
    LevelMeter meter = parts.front().meter;
    for (size_t i = 1; i < parts.size(); ++i)
        meter.append(parts[i].meter);
    return meter;
}

} // namespace

std::optional<SourceFigures> analyseSource(const QString& path, QString* error,
                                           const AnalysisOptions& options) {
    QString ignored;
    if (!error)
        error = &ignored;
    std::unique_ptr<Decoder> decoder = openDecoder(path, error);
    if (!decoder)
        return std::nullopt;
    std::optional<LevelMeter> meter;
    if (const int threads = threadsFor(options, *decoder); threads > 1)
        meter = measureInParts(decoder, threads, options);
    if (!meter && !cancelled(options)) {
        LevelMeter fresh(decoder->channels(), decoder->fullScale());
        Part whole{std::move(decoder), 0, -1, fresh, false};
        measure(whole, options);
        meter = whole.meter;
        decoder = std::move(whole.decoder);
    }
    if (cancelled(options)) {
        error->clear();
        return std::nullopt;
    }
    if (meter->frames() == 0) {
        *error = QCoreApplication::translate("Decoder", "文件里没有可以播放的声音数据（可能已损坏或被截断）");
        return std::nullopt;
    }
    return meter->figures(*decoder);
}

std::optional<RangeFigures> analyseRange(const QString& path, int64_t fromMs, int64_t toMs, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    std::unique_ptr<Decoder> decoder = openDecoder(path, error);
    if (!decoder)
        return std::nullopt;
    const int64_t from = decoder->frameAtMs(std::max<int64_t>(fromMs, 0));
    const int64_t to = toMs < 0 ? decoder->frames() : decoder->frameAtMs(toMs);
    // A prompt is seconds long: one pass on this thread.
    Part range{std::move(decoder), from, std::max<int64_t>(to - from, 0), LevelMeter(0, {}), false};
    range.meter = LevelMeter(range.decoder->channels(), range.decoder->fullScale());
    measure(range, {});
    if (range.meter.frames() == 0) {
        *error = QCoreApplication::translate("Decoder", "文件里没有可以播放的声音数据（可能已损坏或被截断）");
        return std::nullopt;
    }
    return RangeFigures{range.meter.figures(*range.decoder), double(range.meter.peak())};
}

QString figuresLine(const SourceFigures& f) {
    return QStringLiteral("%1 ms, %2 Hz, %3 channel%4, peak %5 dBFS, RMS %6 dBFS, %7 clipped, "
                          "leading silence %8 ms, trailing silence %9 ms")
        .arg(f.durationMs)
        .arg(f.sampleRate)
        .arg(f.channels)
        .arg(f.channels == 1 ? QString() : QStringLiteral("s"))
        .arg(f.peakDbfs, 0, 'f', 1)
        .arg(f.rmsDbfs, 0, 'f', 1)
        .arg(f.clipped)
        .arg(f.leadingSilenceMs)
        .arg(f.trailingSilenceMs);
}

QJsonObject figuresJson(const QString& file, const SourceFigures& f) {
    return QJsonObject{
        {QStringLiteral("file"), file},
        {QStringLiteral("duration_ms"), qint64(f.durationMs)},
        {QStringLiteral("sample_rate"), f.sampleRate},
        {QStringLiteral("channels"), f.channels},
        {QStringLiteral("peak_dbfs"), f.peakDbfs},
        {QStringLiteral("rms_dbfs"), f.rmsDbfs},
        {QStringLiteral("clipped"), qint64(f.clipped)},
        {QStringLiteral("leading_silence_ms"), qint64(f.leadingSilenceMs)},
        {QStringLiteral("trailing_silence_ms"), qint64(f.trailingSilenceMs)},
    };
}

QString figuresText(const SourceFigures& f) {
    const auto clampMs = [](int64_t ms) {
        return int32_t(std::min<int64_t>(ms, std::numeric_limits<int32_t>::max()));
    };
    return QCoreApplication::translate(
               "SourceFigures",
               "时长 %1（%2 ms），%3 Hz，%4 声道\n峰值 %5 dBFS，RMS %6 dBFS，满幅（削波）采样 %7 个\n"
               "开头静音 %8 ms，结尾静音 %9 ms（低于 -50 dBFS）")
        .arg(timeText(clampMs(f.durationMs)))
        .arg(f.durationMs)
        .arg(f.sampleRate)
        .arg(f.channels)
        .arg(f.peakDbfs, 0, 'f', 1)
        .arg(f.rmsDbfs, 0, 'f', 1)
        .arg(f.clipped)
        .arg(f.leadingSilenceMs)
        .arg(f.trailingSilenceMs);
}

} // namespace player
