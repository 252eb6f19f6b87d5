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

namespace job {

namespace {
constexpr int firstRow = DeviceModel::firstMessageRow;
}

AudioFacts audioFactsOnDisk(const QString& path) {
    QString error;
    const std::unique_ptr<Decoder> decoder = openDecoder(path, &error);
    if (!decoder)
        return AudioFacts{false, error, 0};
    return AudioFacts{true, QString(), decoder->lengthMs()};
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

Planned planJob(const JobSpec& spec, const AudioLookup& audio) {
    Planned out;
    Plan& plan = out.plan;
    const DeviceModel* model = deviceModelNamed(spec.chip);
    plan.chip = spec.chip;
    plan.lastRow = model ? model->lastRow() : 0;
    plan.sampleRateKhz = spec.sampleRateKhz;
    plan.leadInMs = spec.leadInMs;
    plan.eraseAll = spec.eraseAll;
    plan.port = spec.port;
    const auto fail = [&out](Place at, const QString& text) { out.faults.push_back({at, text}); };

    QHash<QString, int> names; // name -> line of its first prompt
    struct Placed {
        int64_t start, end;
        size_t index;
        Place at;
    };
    std::vector<Placed> placed;
    int64_t next = firstRow;
    for (size_t i = 0; i < spec.prompts.size(); ++i) {
        const PromptSpec& p = spec.prompts[i];
        if (!p.name.isEmpty()) {
            if (names.contains(p.name))
                fail(p.nameAt, JobText::tr("名称“%1”已在第 %2 行用过").arg(p.name).arg(names.value(p.name)));
            else
                names.insert(p.name, p.nameAt.line);
        }
        PlannedPrompt planned{p.name, p.file, p.path, p.fromMs.value_or(0), 0, 0, 0};
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
        // A prompt without a length still takes its start row, so that the ones after it are placed
        // where they will be once it is mended.
        const int64_t rows = timed ? rowsFor(planned.soundMs(), spec.leadInMs, spec.sampleRateKhz) : 1;
        const int64_t start = p.startRow.value_or(next);
        const int64_t end = start + rows - 1;
        next = end + 1 + spec.gapRows;
        if (!timed)
            continue;
        planned.startRow = int(start);
        planned.endRow = int(end);
        const Place rowsAt = p.startRow ? p.startRowAt : p.at;
        if (model && end > plan.lastRow) {
            const int64_t over = end - plan.lastRow;
            fail(rowsAt, JobText::tr("提示音“%1”占 %2-%3，超出 %4 的最后一行 %5：长了 %6 行（%7）")
                             .arg(p.name, rowText(start), rowText(end), spec.chip, rowText(plan.lastRow))
                             .arg(over)
                             .arg(secondsText(int64_t(double(over) * rowMs(spec.sampleRateKhz) + 0.5))));
        }
        for (const Placed& other : placed) {
            if (start <= other.end && other.start <= end)
                fail(rowsAt,
                     JobText::tr("提示音“%1”（%2-%3）与第 %4 行的“%5”（%6-%7）重叠")
                         .arg(p.name, rowText(start), rowText(end))
                         .arg(other.at.line)
                         .arg(spec.prompts[other.index].name, rowText(other.start), rowText(other.end)));
        }
        placed.push_back({start, end, i, p.at});
        plan.prompts.push_back(planned);
    }
    if (spec.prompts.empty() && out.faults.empty())
        fail(Place{1, 1}, JobText::tr("任务里没有提示音（[[prompt]]）"));
    sortFaults(out.faults);
    return out;
}

Planned planJobText(std::string_view text, const QString& folder, const AudioLookup& audio) {
    ReadJob read = readJobText(text, folder);
    // A file toml++ could not parse, or one without prompts, has nothing more to plan.
    if (read.spec.prompts.empty() && !read.faults.empty())
        return Planned{{}, std::move(read.faults)};
    Planned planned = planJob(read.spec, audio);
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
                       QFileInfo(path).absolutePath(), audioFactsOnDisk);
}

QString planText(const Plan& plan) {
    int nameWidth = 4;
    for (const PlannedPrompt& p : plan.prompts)
        nameWidth = std::max(nameWidth, int(p.name.size()));
    QString text;
    for (const PlannedPrompt& p : plan.prompts) {
        text += QStringLiteral("%1  %2  %3  %4  %5-%6\n")
                    .arg(p.name, -nameWidth)
                    .arg(player::timeText(int32_t(p.fromMs)), player::timeText(int32_t(p.toMs)))
                    .arg(secondsText(p.soundMs()), 8)
                    .arg(rowText(p.startRow), rowText(p.endRow));
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
