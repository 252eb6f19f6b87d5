// The job file and the planner without a window: rows from durations, the last row of every model,
// the plan as --plan prints it, a job refused with every fault at its line and column, and the chip's
// message table as it is told and checked against a plan.
#include "job/jobplan.h"
#include "job/messagetable.h"
#include "link/devicetable.h"

#include <QMap>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A sound file of the job: its length, where its sound lies (ms; none when empty), its peak level, RMS
// and samples at full scale.
struct Sound {
    int64_t lengthMs, soundFrom, soundTo;
    double peak, rmsDbfs;
    int64_t clipped = 0;
};

job::Planned plan(const char* text) {
    // The job's sound files; any other file is not there.
    const QMap<QString, Sound> sounds{
        {"/job/five.wav", {5000, 0, 5000, 0.5, -12.0}},      {"/job/a.wav", {3000, 0, 3000, 0.5, -12.0}},
        {"/job/b.wav", {5000, 0, 5000, 0.5, -12.0}},         {"/job/long.wav", {59900, 0, 59900, 0.5, -12.0}},
        {"/job/quiet.wav", {4000, 1000, 3000, 0.08, -30.0}}, {"/job/hot.wav", {2000, 0, 2000, 1.0, -3.0, 12}},
        {"/job/silent.wav", {1000, 0, 0, 0.0, -144.0}}};
    return job::planJobText(
        text, QStringLiteral("/job"),
        [&](const QString& path) {
            return sounds.contains(path) ? job::AudioFacts{true, {}, sounds.value(path).lengthMs}
                                         : job::AudioFacts{false, QStringLiteral("文件不存在"), 0};
        },
        // Silence is counted from the ends of the range asked for, as the analysis counts it.
        [&](const QString& path, int64_t from, int64_t to, QString*) {
            const Sound s = sounds.value(path);
            const int64_t ms = to - from;
            const bool any = s.soundTo > from && s.soundFrom < to;
            const player::SourceFigures f{ms,
                                          8000,
                                          1,
                                          s.peak > 0 ? std::round(200.0 * std::log10(s.peak)) / 10.0 : -144.0,
                                          s.rmsDbfs,
                                          s.clipped,
                                          any ? std::max<int64_t>(s.soundFrom - from, 0) : ms,
                                          any ? std::max<int64_t>(to - s.soundTo, 0) : ms};
            return std::optional(player::RangeFigures{f, s.peak});
        });
}

QStringList faultLines(const job::Planned& planned) {
    QStringList lines;
    for (const job::Fault& fault : planned.faults)
        lines << job::faultLine(QStringLiteral("job.toml"), fault);
    return lines;
}

} // namespace

TEST(Planner, RowsCoverTheSoundAndTheLeadIn) {
    struct Case {
        int64_t soundMs;
        int leadInMs, khz;
        int64_t rows;
    };
    for (const Case& c :
         {Case{5000, 100, 8, 41}, Case{4900, 100, 8, 40}, Case{5000, 0, 8, 40}, Case{5000, 100, 4, 21},
          Case{1000, 0, 12, 12}, Case{1001, 0, 12, 13}, Case{1, 0, 8, 1}})
        EXPECT_EQ(job::rowsFor(c.soundMs, c.leadInMs, c.khz), c.rows)
            << c.soundMs << " " << c.leadInMs << " " << c.khz;
}

TEST(Planner, EveryModelEndsAtItsLastRow) {
    const std::pair<const char*, int> last[] = {
        {"ISD1720", 0x0AF},  {"ISD1730", 0x0FF},  {"ISD1740", 0x14F},  {"ISD1750", 0x19F},
        {"ISD1760", 0x1EF},  {"ISD1790", 0x2DF},  {"ISD17120", 0x3CF}, {"ISD17150", 0x4BF},
        {"ISD17180", 0x5AF}, {"ISD17210", 0x69F}, {"ISD17240", 0x78F},
    };
    ASSERT_EQ(deviceModels().size(), std::size(last));
    for (const auto& [name, row] : last) {
        const DeviceModel* model = deviceModelNamed(QString::fromLatin1(name).toLower());
        ASSERT_TRUE(model) << name;
        EXPECT_EQ(model->lastRow(), row) << name;
        EXPECT_EQ(deviceModelWithId(model->id), model);
    }
}

TEST(Planner, PromptsFollowEachOtherWithTheirGapsAndFromAndTo) {
    const job::Planned planned = plan(R"(chip = "isd1760"
gap_rows = 2
[[prompt]]
name = "five"
file = "five.wav"
[[prompt]]
name = "four-nine"
file = "five.wav"
to = "00:04:90"
[[prompt]]
name = "late"
file = "./five.wav"
from = 1000
to = 5000
start_row = 0x100
[[prompt]]
name = "after-late"
file = "five.wav"
from = "00:04:00"
)");
    ASSERT_TRUE(planned.faults.empty()) << faultLines(planned).join('\n').toStdString();
    EXPECT_EQ(job::planText(planned.plan),
              "five        00:00:00  00:05:00    5.00 s  0x010-0x038  峰值 -6.0 dBFS，RMS -12.0 dBFS\n"
              "four-nine   00:00:00  00:04:90    4.90 s  0x03B-0x062  峰值 -6.0 dBFS，RMS -12.0 dBFS\n"
              "late        00:01:00  00:05:00    4.00 s  0x100-0x120  峰值 -6.0 dBFS，RMS -12.0 dBFS\n"
              "after-late  00:04:00  00:05:00    1.00 s  0x123-0x12B  峰值 -6.0 dBFS，RMS -12.0 dBFS\n"
              "ISD1760：已用 123 行，空闲 357 行（44.63 s），共 480 行（0x010-0x1EF）\n");
    EXPECT_EQ(planned.plan.prompts[2].path, "/job/five.wav");
}

TEST(Planner, TrimmingAndGainShowInThePlan) {
    const job::Planned planned = plan(R"(chip = "ISD1760"
lead_in_ms = 0
trim = true
volume_step = 2
[[prompt]]
name = "quiet"
file = "quiet.wav"
[[prompt]]
name = "raised"
file = "quiet.wav"
from = 500
normalize_dbfs = -3.0
[[prompt]]
name = "hot"
file = "hot.wav"
trim = false
gain_db = -3
[[prompt]]
name = "pushed"
file = "five.wav"
trim = false
gain_db = 6.5
)");
    ASSERT_TRUE(planned.faults.empty()) << faultLines(planned).join('\n').toStdString();
    EXPECT_EQ(planned.plan.volumeStep, 2);
    EXPECT_EQ(
        job::planText(planned.plan).toStdString(),
        "quiet   00:00:95  00:03:05    2.10 s  0x010-0x020  峰值 -21.9 dBFS，RMS -30.0 dBFS  修剪省下 15 行  "
        "过轻：峰值低于 -20.0 dBFS\n"
        "raised  00:00:95  00:03:05    2.10 s  0x021-0x031  峰值 -3.0 dBFS，RMS -11.1 dBFS  增益 +18.9 dB  "
        "修剪省下 11 行\n"
        "hot     00:00:00  00:02:00    2.00 s  0x032-0x041  峰值 -3.0 dBFS，RMS -6.0 dBFS  增益 -3.0 dB  "
        "削波：源文件有 12 个满幅采样\n"
        "pushed  00:00:00  00:05:00    5.00 s  0x042-0x069  峰值 0.5 dBFS，RMS -5.5 dBFS  增益 +6.5 dB  "
        "削波：增益使峰值达到满幅\n"
        "ISD1760：已用 90 行，空闲 390 行（48.75 s），共 480 行（0x010-0x1EF）\n");
}

TEST(Planner, ARefusedJobNamesEveryFaultAtItsPlace) {
    const job::Planned planned = plan(R"(chip = "ISD1760"
sample_rate_khz = 13
erase = "some"
colour = "red"
lead_in_ms = "100"

[[prompt]]
name = "a"
file = "a.wav"
from = "00:01:50"
to = 1000

[[prompt]]
name = "a"
file = "missing.wav"

[[prompt]]
name = "low"
file = "b.wav"
start_row = 0x008

[[prompt]]
file = "b.wav"
to = 9000

[[prompt]]
name = "long"
file = "long.wav"
start_row = 0x100

[[prompt]]
name = "over"
file = "b.wav"
start_row = 0x0D8
)");
    EXPECT_EQ(
        faultLines(planned).join('\n').toStdString(),
        QStringList({
                        "job.toml:2:19: “sample_rate_khz”须在 4 到 12 之间，而不是 13",
                        "job.toml:3:9: “erase”须为 \"all\" 或 \"none\"，而不是“some”",
                        "job.toml:4:1: 未知的键“colour”",
                        "job.toml:5:14: “lead_in_ms”须为整数",
                        "job.toml:10:8: from 00:01:50 须在 to 00:01:00 之前",
                        "job.toml:14:8: 名称“a”已在第 8 行用过",
                        "job.toml:15:8: 无法读取音频文件“missing.wav”：文件不存在",
                        "job.toml:20:13: start_row 0x008 低于 0x010：0x010 以下的行存放芯片自带的音效",
                        "job.toml:22:1: 缺少键“name”",
                        "job.toml:24:6: to 00:09:00 超出了文件的长度 00:05:00",
                        "job.toml:29:13: 提示音“long”占 0x100-0x2DF，超出 ISD1760 的最后一行 0x1EF：长了 240 "
                        "行（30.00 s）",
                        "job.toml:34:13: 提示音“over”（0x0D8-0x100）与第 26 行的“long”（0x100-0x2DF）重叠",
                    })
            .join('\n')
            .toStdString());
    // Past its last row the chip is unknown: no row is checked, nothing else is said.
    EXPECT_EQ(
        faultLines(plan("chip = \"ISD1999\"\n[[prompt]]\nname = \"x\"\nfile = \"long.wav\"\n")),
        QStringList({"job.toml:1:8: 未知的芯片“ISD1999”：可选 ISD1720, ISD1730, ISD1740, ISD1750, ISD1760, "
                     "ISD1790, ISD17120, ISD17150, ISD17180, ISD17210, ISD17240"}));
    EXPECT_EQ(faultLines(plan("chip = \"ISD1720\"\nport = 3\n[prompt\n")).size(), 1);
    EXPECT_EQ(
        faultLines(plan(R"(chip = "ISD1760"
trim = "yes"
volume_step = 5
[[prompt]]
name = "both"
file = "five.wav"
normalize_dbfs = -1
gain_db = 3.5
[[prompt]]
name = "silent"
file = "silent.wav"
trim = true
normalize_dbfs = -1.0
[[prompt]]
name = "far"
file = "quiet.wav"
gain_db = 20.5
[[prompt]]
name = "buried"
file = "quiet.wav"
normalize_dbfs = 0.5
[[prompt]]
name = "lifted"
file = "quiet.wav"
normalize_dbfs = -0.1
)")),
        QStringList(
            {"job.toml:2:8: “trim”须为 true 或 false",
             "job.toml:3:15: “volume_step”须在 0 到 4 之间，而不是 5",
             "job.toml:8:11: “gain_db”与“normalize_dbfs”只能取其一",
             "job.toml:12:8: 提示音“silent”在 00:00:00 到 00:01:00 之间没有高于 -50 dBFS 的声音，无从修剪",
             "job.toml:13:18: 提示音“silent”是静音，无法归一化",
             "job.toml:17:11: “gain_db”须在 -20 到 20 之间，而不是 20.5",
             "job.toml:21:18: “normalize_dbfs”须在 -60 到 0 之间，而不是 0.5",
             "job.toml:25:18: 提示音“lifted”的峰值 -21.9 dBFS 归一化到 -0.1 dBFS 需要 +21.8 dB "
             "的增益，超出了 ±20 dB"}));
    EXPECT_EQ(faultLines(plan("chip = \"ISD1720\"\n")), QStringList({"job.toml:1:1: 缺少键“prompt”"}));
}

TEST(Planner, TimesAreWrittenAsTheWindowShowsThem) {
    const std::pair<const char*, std::optional<int64_t>> times[] = {
        {"00:01:50", 1500},       {"1:05:43", 65430},      {"100:00:00", 6000000}, {"00:60:00", std::nullopt},
        {"1:5:43", std::nullopt}, {"01:05", std::nullopt}, {"abc", std::nullopt},  {"", std::nullopt}};
    for (const auto& [text, ms] : times)
        EXPECT_EQ(job::timeTextMs(QString::fromLatin1(text)), ms) << text;
}

TEST(MessageTable, TheWalksStartsMakeTheTableThatIsToldAndCheckedAgainstThePlan) {
    EXPECT_EQ(job::messageTableText(job::tableOf("ISD1760", 0x1EF, {0x100, 0x010, 0x015, 0x010}, 0x104), 8),
              "1  0x010-0x014  0.63 s\n"
              "2  0x015-0x0FF  29.38 s\n"
              "3  0x100-0x103  0.50 s\n"
              "ISD1760：3 条消息，记录指针 0x104，消息区 0x010-0x1EF\n");
    // The last recording went before the last message: where that one ends is not known.
    EXPECT_EQ(
        job::messageTableText(job::tableOf("ISD1730", 0x0FF, {0x0F0, 0x010}, 0x014), 4),
        "1  0x010-0x0EF  56.00 s\n2  0x0F0-?  ?\nISD1730：2 条消息，记录指针 0x014，消息区 0x010-0x0FF\n");
    EXPECT_EQ(job::messageTableText(job::tableOf("ISD1720", 0x0AF, {}, 0x010), 8),
              "ISD1720：芯片上没有消息（记录指针 0x010）\n");

    job::Plan plan;
    for (const auto& [name, start] : {std::pair("one", 0x010), {"two", 0x015}, {"three", 0x100}})
        plan.prompts.push_back(job::PlannedPrompt{name, {}, {}, 0, 0, start, start, {}, false, 0, 0.0});
    struct Case {
        bool eraseAll;
        std::vector<int> starts;
        const char* reason; // nullptr: it matches
    };
    for (const Case& c :
         {Case{true, {0x010, 0x016, 0x0FF}, nullptr}, Case{false, {0x010, 0x015, 0x050, 0x100}, nullptr},
          Case{true, {0x010, 0x015, 0x050, 0x100}, "芯片上有 4 条消息，计划 3 条"},
          Case{true, {0x010, 0x017, 0x100}, "“two”计划从 0x015 开始，芯片上那里没有消息"}}) {
        plan.eraseAll = c.eraseAll;
        const job::TableCheck check = job::checkTable(job::tableOf("ISD1760", 0x1EF, c.starts, 0x104), plan);
        EXPECT_EQ(check.ok, c.reason == nullptr) << c.starts.size();
        EXPECT_EQ(check.reason, c.reason ? QString(c.reason) : QString()) << c.starts.size();
    }
}
