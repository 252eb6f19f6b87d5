// A prompt-loading job as its file states it: the chip, the recording settings and the prompts, each
// value with the place in the file it came from, and the faults found on reading it.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace job {

// A place in the job file, from 1; 0 where a value was left out (the default applies).
struct Place {
    int line = 0;
    int column = 0;
    friend bool operator==(const Place&, const Place&) = default;
};

struct Fault {
    Place at;
    QString text;
};
// "FILE:LINE:COLUMN: text", as compilers say it, so that editors can jump there.
QString faultLine(const QString& file, const Fault& fault);
// Faults in the order of the file.
void sortFaults(std::vector<Fault>& faults);

struct PromptEntry {
    Place at; // its [[prompt]] line
    QString name;
    Place nameAt;
    QString file; // as written
    QString path; // relative paths taken from the job file's folder
    Place fileAt;
    std::optional<int64_t> fromMs;
    Place fromAt;
    std::optional<int64_t> toMs;
    Place toAt;
    std::optional<int64_t> startRow;
    Place startRowAt;
    std::optional<bool> trim; // unset: as the job says
    Place trimAt;
    // At most one of the two: a gain, or the peak level the gain is to bring the prompt to.
    std::optional<double> gainDb;
    Place gainAt;
    std::optional<double> normalizeDbfs;
    Place normalizeAt;
};

struct JobFile {
    QString chip;
    Place chipAt;
    int sampleRateKhz = 8;
    bool eraseAll = true;
    int gapRows = 0;
    int leadInMs = 100;
    int port = 1;
    bool trim = false;
    Place trimAt;
    // The window's volume step (0..4) for the whole job; unset: the job leaves the chip's analog path be.
    std::optional<int> volumeStep;
    std::vector<PromptEntry> prompts;
};

// The limits of the level keys.
constexpr double gainLimitDb = 20.0;
constexpr double normalizeLowestDbfs = -60.0;

struct ReadJob {
    JobFile jobFile;
    std::vector<Fault> faults;
};

// Reads a job from its TOML text; folder is where relative file paths start. Every fault is
// collected: unknown and missing keys, values of the wrong type or out of range, an unknown chip,
// a start row below 0x010, a gain and a level target in one prompt.
ReadJob readJobText(std::string_view text, const QString& folder);

// A row as the job's texts write it: 0x010, 0x1EF.
QString rowText(int64_t row);

// A time in the file: "mm:ss:hh" as the window shows times, or whole milliseconds.
std::optional<int64_t> timeTextMs(const QString& text);

} // namespace job
