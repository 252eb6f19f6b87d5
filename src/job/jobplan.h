// Planning a job: where each prompt goes on the chip, worked out from the job file and the lengths of
// its sound files, without a window or a board. Every fault is found at once.
#pragma once

#include "job/jobfile.h"
#include "player/sourceanalysis.h"

#include <functional>

namespace job {

// What the job needs to know of a sound file.
struct AudioFacts {
    bool readable = false;
    QString error; // why not, when not
    int64_t lengthMs = 0;
};
using AudioLookup = std::function<AudioFacts(const QString& path)>;
// The facts of a file on disk, from the player's own decoders.
AudioFacts audioFactsOnDisk(const QString& path);
// The figures of the sound of a file between two points; null, with *error, when it cannot be measured.
using FiguresLookup = std::function<std::optional<player::RangeFigures>(const QString& path, int64_t fromMs,
                                                                        int64_t toMs, QString* error)>;
// The figures from the engine's own analysis.
std::optional<player::RangeFigures> figuresOnDisk(const QString& path, int64_t fromMs, int64_t toMs,
                                                  QString* error);

// Trimming keeps this much of the silence at either edge of a prompt's sound.
constexpr int64_t trimEdgeMs = 50;
// A prompt whose peak (after its gain) lies below this is marked as too quiet for the chip.
constexpr double quietPeakDbfs = -20.0;

struct PlannedPrompt {
    QString name;
    QString file; // as the job file writes it
    QString path;
    int64_t fromMs = 0;
    int64_t toMs = 0;
    int startRow = 0;
    int endRow = 0;
    // Of the sound between from and to as the job file writes them, before any trimming.
    std::optional<player::RangeFigures> figures;
    // The rows that trimming the prompt to its sound saved; 0 when it was not trimmed.
    bool trimmed = false;
    int rowsSaved = 0;
    // The gain the engine applies to the prompt's samples: gain_db, or what normalize_dbfs asks.
    double gainDb = 0.0;

    int64_t soundMs() const { return toMs - fromMs; }
    int rows() const { return endRow - startRow + 1; }
    // The peak and RMS level as the chip gets them, gain included.
    double peakDbfs() const;
    double rmsDbfs() const;
    // The source clips, or the gain takes its peak to full scale.
    bool clips() const;
    // Its peak after the gain lies below quietPeakDbfs.
    bool quiet() const;
};

struct Plan {
    QString chip;
    int lastRow = 0;
    int sampleRateKhz = 8;
    int leadInMs = 100;
    bool eraseAll = true;
    int port = 1;
    std::optional<int> volumeStep;
    std::vector<PlannedPrompt> prompts;

    int rowsUsed() const;
    // Message rows, 0x010 to the last row.
    int rowsOnChip() const { return lastRow - 0x010 + 1; }
    int64_t soundMs() const;
};

// How long a row lasts: 125 ms at 8 kHz sampling, 125 ms x 8 / kHz at another rate.
double rowMs(int sampleRateKhz);
// Rows a prompt of soundMs takes with leadInMs before it: never fewer than its sound needs.
int64_t rowsFor(int64_t soundMs, int leadInMs, int sampleRateKhz);

struct Planned {
    Plan plan;
    std::vector<Fault> faults; // empty: the job can run
};
Planned planJob(const JobFile& jobFile, const AudioLookup& audio, const FiguresLookup& figures);

// A job read from its text and planned, with every fault of both.
Planned planJobText(std::string_view text, const QString& folder, const AudioLookup& audio,
                    const FiguresLookup& figures);
// A job file read from disk and planned with its sound files' real lengths and figures.
Planned loadJob(const QString& path);

// What --plan prints: one line per prompt (name, from, to, duration, rows, then its levels, gain, the
// rows trimming saved and its marks) and the rows used and free.
QString planText(const Plan& plan);
// A prompt's levels, gain, trimming and marks, as the plan's line ends.
QString levelText(const PlannedPrompt& prompt);
// A level or a gain to 0.1 dB: "-6.0", "+3.5".
QString decibelText(double dB, bool signedPlus = false);
// A duration as the job's lines show it: "5.00 s".
QString secondsText(int64_t ms);

} // namespace job
