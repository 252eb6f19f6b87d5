// The planner: rows from durations, defaults from the prompt before, and the refusals of a job that
// cannot run as written.
#include "job/jobplan.h"

#include "job/jobtext.h"
#include "link/devicetable.h"
#include "player/decoder.h"
#include "player/timetext.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace job {

namespace {
constexpr int firstRow = DeviceModel::firstMessageRow;

double levelDbfs(double level) {
    return level > 0.0 ? 20.0 * std::log10(level) : player::levelFloorDbfs;
}
} // namespace

AudioFacts audioFactsOnDisk(const QString& path) {
    QString error;
    const std::unique_ptr<Decoder> decoder = openDecoder(path, &error);
    if (!decoder)
        return AudioFacts{false, error, 0};
    return AudioFacts{true, QString(), decoder->lengthMs()};
}

std::optional<player::RangeFigures> figuresOnDisk(const QString& path, int64_t fromMs, int64_t toMs,
                                                  QString* error) {
    return player::analyseRange(path, fromMs, toMs, error);
}

double PlannedPrompt::peakDbfs() const {
    if (!figures || !(figures->peakLevel > 0.0))
        return player::levelFloorDbfs;
    return levelDbfs(figures->peakLevel) + gainDb;
}

double PlannedPrompt::rmsDbfs() const {
    if (!figures || figures->figures.rmsDbfs <= player::levelFloorDbfs)
        return player::levelFloorDbfs;
    return figures->figures.rmsDbfs + gainDb;
}

bool PlannedPrompt::clips() const {
    return figures &&
           (figures->figures.clipped > 0 || figures->peakLevel * std::pow(10.0, gainDb / 20.0) >= 1.0);
}

bool PlannedPrompt::quiet() const {
    return figures && peakDbfs() < quietPeakDbfs;
}

int Plan::rowsUsed() const {
    int used = 0;
    for (const PlannedPrompt& p : prompts)
        used += p.rows();
    return used;
}

int64_t Plan::soundMs() const {
    int64_t ms = 0;
    for (const PlannedPrompt& p : prompts)
        ms += p.soundMs();
    return ms;
}

double rowMs(int sampleRateKhz) {
    return sampleRateKhz > 0 ? 1000.0 / sampleRateKhz : 0.0;
}

int64_t rowsFor(int64_t soundMs, int leadInMs, int sampleRateKhz) {
    // A row lasts 1000 / kHz ms; rounded up, so that the chip never stops before the sound has.
    const int64_t ms = std::max<int64_t>(soundMs, 0) + std::max(leadInMs, 0);
    return std::max<int64_t>(1, (ms * sampleRateKhz + 999) / 1000);
}

QString secondsText(int64_t ms) {
    // Hundredths rounded half up, whatever the binary value of a double would make of the tie.
    const int64_t hundredths = (std::max<int64_t>(ms, 0) + 5) / 10;
    return QStringLiteral("%1.%2 s").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

Planned planJob(const JobFile& jobFile, const AudioLookup& audio, const FiguresLookup& figures) {
    Planned out;
    Plan& plan = out.plan;
    const DeviceModel* model = deviceModelNamed(jobFile.chip);
    plan.chip = jobFile.chip;
    plan.lastRow = model ? model->lastRow() : 0;
    plan.sampleRateKhz = jobFile.sampleRateKhz;
    plan.leadInMs = jobFile.leadInMs;
    plan.eraseAll = jobFile.eraseAll;
    plan.port = jobFile.port;
    plan.volumeStep = jobFile.volumeStep;
    const auto fail = [&out](Place at, const QString& text) { out.faults.push_back({at, text}); };

    QHash<QString, int> names; // name -> line of its first prompt
    struct Placed {
        int64_t start, end;
        size_t index;
        Place at;
    };
    std::vector<Placed> placed;
    int64_t next = firstRow;
    for (size_t i = 0; i < jobFile.prompts.size(); ++i) {
        const PromptEntry& p = jobFile.prompts[i];
        if (!p.name.isEmpty()) {
            if (names.contains(p.name))
                fail(p.nameAt, JobText::tr("名称“%1”已在第 %2 行用过").arg(p.name).arg(names.value(p.name)));
            else
                names.insert(p.name, p.nameAt.line);
        }
        PlannedPrompt planned;
        planned.name = p.name;
        planned.file = p.file;
        planned.path = p.path;
        planned.fromMs = p.fromMs.value_or(0);
        bool timed = false;
        if (!p.path.isEmpty()) {
            const AudioFacts facts = audio(p.path);
            if (!facts.readable) {
                fail(p.fileAt, JobText::tr("无法读取音频文件“%1”：%2").arg(p.file, facts.error));
            } else {
                planned.toMs = p.toMs.value_or(facts.lengthMs);
                const QString length =
                    player::timeText(int32_t(std::min<int64_t>(facts.lengthMs, INT32_MAX)));
                if (planned.toMs > facts.lengthMs)
                    fail(p.toAt, JobText::tr("to %1 超出了文件的长度 %2")
                                     .arg(player::timeText(int32_t(planned.toMs)), length));
                else if (planned.fromMs >= planned.toMs && !p.toMs)
                    fail(p.fromAt, JobText::tr("from %1 不在文件之内（文件长 %2）")
                                       .arg(player::timeText(int32_t(planned.fromMs)), length));
                else if (planned.fromMs >= planned.toMs)
                    fail(p.fromMs ? p.fromAt : p.toAt, JobText::tr("from %1 须在 to %2 之前")
                                                           .arg(player::timeText(int32_t(planned.fromMs)),
                                                                player::timeText(int32_t(planned.toMs))));
                else
                    timed = true;
            }
        }
        if (timed) {
            QString error;
            planned.figures = figures(p.path, planned.fromMs, planned.toMs, &error);
            if (!planned.figures) {
                fail(p.fileAt, JobText::tr("无法测量音频文件“%1”：%2").arg(p.file, error));
                timed = false;
            }
        }
        if (timed && p.trim.value_or(jobFile.trim)) {
            const player::SourceFigures& f = planned.figures->figures;
            if (f.leadingSilenceMs >= f.durationMs) {
                fail(p.trim ? p.trimAt : jobFile.trimAt,
                     JobText::tr("提示音“%1”在 %2 到 %3 之间没有高于 -50 dBFS 的声音，无从修剪")
                         .arg(p.name, player::timeText(int32_t(planned.fromMs)),
                              player::timeText(int32_t(planned.toMs))));
            } else {
                // From 50 ms before the first sound to 50 ms after the last, never outside from and to.
                const int64_t from =
                    std::max(planned.fromMs, planned.fromMs + f.leadingSilenceMs - trimEdgeMs);
                const int64_t to =
                    std::min(planned.toMs, planned.fromMs + f.durationMs - f.trailingSilenceMs + trimEdgeMs);
                planned.rowsSaved = int(rowsFor(planned.soundMs(), jobFile.leadInMs, jobFile.sampleRateKhz) -
                                        rowsFor(to - from, jobFile.leadInMs, jobFile.sampleRateKhz));
                planned.fromMs = from;
                planned.toMs = to;
                planned.trimmed = true;
            }
        }
        if (timed && p.gainDb)
            planned.gainDb = *p.gainDb;
        if (timed && p.normalizeDbfs) {
            const double peak = planned.figures->peakLevel;
            const double gain = *p.normalizeDbfs - levelDbfs(peak);
            if (!(peak > 0.0))
                fail(p.normalizeAt, JobText::tr("提示音“%1”是静音，无法归一化").arg(p.name));
            else if (std::abs(gain) > gainLimitDb)
                fail(p.normalizeAt,
                     JobText::tr("提示音“%1”的峰值 %2 dBFS 归一化到 %3 dBFS 需要 %4 dB 的增益，超出了 ±%5 dB")
                         .arg(p.name, decibelText(levelDbfs(peak)), decibelText(*p.normalizeDbfs),
                              decibelText(gain, true))
                         .arg(gainLimitDb));
            else
                planned.gainDb = gain;
        }
        // A prompt without a length still takes its start row, so that the ones after it are placed
        // where they will be once it is mended.
        const int64_t rows = timed ? rowsFor(planned.soundMs(), jobFile.leadInMs, jobFile.sampleRateKhz) : 1;
        const int64_t start = p.startRow.value_or(next);
        const int64_t end = start + rows - 1;
        next = end + 1 + jobFile.gapRows;
        if (!timed)
            continue;
        planned.startRow = int(start);
        planned.endRow = int(end);
        const Place rowsAt = p.startRow ? p.startRowAt : p.at;
        if (model && end > plan.lastRow) {
            const int64_t over = end - plan.lastRow;
            fail(rowsAt, JobText::tr("提示音“%1”占 %2-%3，超出 %4 的最后一行 %5：长了 %6 行（%7）")
                             .arg(p.name, rowText(start), rowText(end), jobFile.chip, rowText(plan.lastRow))
                             .arg(over)
                             .arg(secondsText(int64_t(double(over) * rowMs(jobFile.sampleRateKhz) + 0.5))));
        }
        for (const Placed& other : placed) {
            if (start <= other.end && other.start <= end)
                fail(rowsAt,
                     JobText::tr("提示音“%1”（%2-%3）与第 %4 行的“%5”（%6-%7）重叠")
                         .arg(p.name, rowText(start), rowText(end))
                         .arg(other.at.line)
                         .arg(jobFile.prompts[other.index].name, rowText(other.start), rowText(other.end)));
        }
        placed.push_back({start, end, i, p.at});
        plan.prompts.push_back(planned);
    }
    if (jobFile.prompts.empty() && out.faults.empty())
        fail(Place{1, 1}, JobText::tr("任务里没有提示音（[[prompt]]）"));
    sortFaults(out.faults);
    return out;
}

Planned planJobText(std::string_view text, const QString& folder, const AudioLookup& audio,
                    const FiguresLookup& figures) {
    ReadJob read = readJobText(text, folder);
    // A file toml++ could not parse, or one without prompts, has nothing more to plan.
    if (read.jobFile.prompts.empty() && !read.faults.empty())
        return Planned{{}, std::move(read.faults)};
    Planned planned = planJob(read.jobFile, audio, figures);
    planned.faults.insert(planned.faults.end(), read.faults.begin(), read.faults.end());
    sortFaults(planned.faults);
    return planned;
}

Planned loadJob(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Planned{{}, {Fault{Place{1, 1}, JobText::tr("无法读取任务文件：%1").arg(file.errorString())}}};
    const QByteArray text = file.readAll();
    return planJobText(std::string_view(text.constData(), size_t(text.size())),
                       QFileInfo(path).absolutePath(), audioFactsOnDisk, figuresOnDisk);
}

QString planText(const Plan& plan) {
    int nameWidth = 4;
    for (const PlannedPrompt& p : plan.prompts)
        nameWidth = std::max(nameWidth, int(p.name.size()));
    QString text;
    for (const PlannedPrompt& p : plan.prompts) {
        text += QStringLiteral("%1  %2  %3  %4  %5-%6")
                    .arg(p.name, -nameWidth)
                    .arg(player::timeText(int32_t(p.fromMs)), player::timeText(int32_t(p.toMs)))
                    .arg(secondsText(p.soundMs()), 8)
                    .arg(rowText(p.startRow), rowText(p.endRow));
        if (const QString levels = levelText(p); !levels.isEmpty())
            text += QStringLiteral("  ") + levels;
        text += QLatin1Char('\n');
    }
    const int free = plan.rowsOnChip() - plan.rowsUsed();
    text += JobText::tr("%1：已用 %2 行，空闲 %3 行（%4），共 %5 行（%6-%7）\n")
                .arg(plan.chip)
                .arg(plan.rowsUsed())
                .arg(free)
                .arg(secondsText(int64_t(double(free) * rowMs(plan.sampleRateKhz) + 0.5)))
                .arg(plan.rowsOnChip())
                .arg(rowText(0x010), rowText(plan.lastRow));
    return text;
}

} // namespace job

namespace job {

QString decibelText(double dB, bool signedPlus) {
    // Never "-0.0".
    const double tenths = std::round(dB * 10.0) / 10.0 + 0.0;
    const QString text = QString::number(tenths, 'f', 1);
    return signedPlus && tenths >= 0.0 ? QLatin1Char('+') + text : text;
}

QString levelText(const PlannedPrompt& p) {
    if (!p.figures)
        return {};
    QStringList parts{
        JobText::tr("峰值 %1 dBFS，RMS %2 dBFS").arg(decibelText(p.peakDbfs()), decibelText(p.rmsDbfs()))};
    if (p.gainDb != 0.0)
        parts << JobText::tr("增益 %1 dB").arg(decibelText(p.gainDb, true));
    if (p.trimmed)
        parts << JobText::tr("修剪省下 %1 行").arg(p.rowsSaved);
    if (p.clips())
        parts << (p.figures->figures.clipped > 0
                      ? JobText::tr("削波：源文件有 %1 个满幅采样").arg(p.figures->figures.clipped)
                      : JobText::tr("削波：增益使峰值达到满幅"));
    if (p.quiet())
        parts << JobText::tr("过轻：峰值低于 %1 dBFS").arg(decibelText(quietPeakDbfs));
    return parts.join(QStringLiteral("  "));
}

} // namespace job
