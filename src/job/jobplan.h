// Planning a job: where each prompt goes on the chip, worked out from the job file and the lengths of
// its sound files, without a window or a board. Every fault is found at once.
#pragma once

#include "job/jobspec.h"

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

struct PlannedPrompt {
    QString name;
    QString file; // as the job file writes it
    QString path;
    int64_t fromMs = 0;
    int64_t toMs = 0;
    int startRow = 0;
    int endRow = 0;

    int64_t soundMs() const { return toMs - fromMs; }
    int rows() const { return endRow - startRow + 1; }
};

struct Plan {
    QString chip;
    int lastRow = 0;
    int sampleRateKhz = 8;
    int leadInMs = 100;
    bool eraseAll = true;
    int port = 1;
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
Planned planJob(const JobSpec& spec, const AudioLookup& audio);

// A job read from its text and planned, with every fault of both.
Planned planJobText(std::string_view text, const QString& folder, const AudioLookup& audio);
// A job file read from disk and planned with its sound files' real lengths.
Planned loadJob(const QString& path);

// What --plan prints: one line per prompt (name, from, to, duration, rows) and the rows used and free.
QString planText(const Plan& plan);
// A duration as the job's lines show it: "5.00 s".
QString secondsText(int64_t ms);

} // namespace job
