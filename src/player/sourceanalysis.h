// What a source file holds, measured in one pass over the samples the engine's decoders deliver: its
// length and format, peak and RMS level, the samples at full scale and the silence at either end.
#pragma once

#include <QJsonObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <optional>

namespace player {

// Levels below this are silence, at the ends of a file as in the trimming of a prompt.
constexpr double silenceDbfs = -50.0;
// The lowest level given (24-bit audio's depth): digital silence has no level in decibels at all.
constexpr double levelFloorDbfs = -144.0;

struct SourceFigures {
    int64_t durationMs = 0; // whole milliseconds, truncated, as the window shows lengths
    int sampleRate = 0;
    int channels = 0;
    // Of every sample of every channel, to 0.1 dB; RMS over the whole file, silence included.
    double peakDbfs = levelFloorDbfs;
    double rmsDbfs = levelFloorDbfs;
    // Samples at or beyond the format's full scale (Decoder::fullScale()).
    int64_t clipped = 0;
    // Up to the first and from the last frame in which a channel reaches silenceDbfs; a file that
    // never does is silence from end to end, so both are its duration.
    int64_t leadingSilenceMs = 0;
    int64_t trailingSilenceMs = 0;

    friend bool operator==(const SourceFigures&, const SourceFigures&) = default;
};

struct AnalysisOptions {
    // Threads that decode a part of the file each (where its decoder can be twinned); 0: as many as
    // the machine has cores, at most four.
    int threads = 0;
    // Set from another thread to give up early; the analysis then fails with an empty reason.
    const std::atomic<bool>* cancel = nullptr;
};

// Decodes the whole file once. Null, with *error set to the reason the window gives for a file it
// cannot open (or that stops decoding midway), when the file cannot be read.
std::optional<SourceFigures> analyseSource(const QString& path, QString* error,
                                           const AnalysisOptions& options = {});

// The sound between two points of a file, as a prompt cut from it plays it.
struct RangeFigures {
    // Of the range alone: its silence is counted from its own ends.
    SourceFigures figures;
    // The peak as a level (full scale 1.0), unrounded, for a gain that must bring it to a target.
    double peakLevel = 0.0;
};

// Decodes the file from fromMs up to toMs (the frame at toMs is the first left out; a negative toMs
// runs to the end). Null, with *error set as analyseSource sets it, when the file cannot be read.
std::optional<RangeFigures> analyseRange(const QString& path, int64_t fromMs, int64_t toMs, QString* error);

// One line for the console's output: "5000 ms, 8000 Hz, 1 channel, peak -6.0 dBFS, ...".
QString figuresLine(const SourceFigures& figures);
// The keys of --inspect --json: file, duration_ms, sample_rate, channels, peak_dbfs, rms_dbfs, clipped,
// leading_silence_ms, trailing_silence_ms.
QJsonObject figuresJson(const QString& file, const SourceFigures& figures);
// The same figures for a person, in the interface language, one fact a line.
QString figuresText(const SourceFigures& figures);

} // namespace player
