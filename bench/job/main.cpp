// Measures a recording job on the simulated board (1200 baud) with the real player into the sound
// server: the overhead per prompt, (job time - the prompts' sound) / prompts, whole and per prompt after
// the first (the check of the chip's message table that follows is timed apart); the time from SET_REC's
// answer to the prompt's first sample at the server; and the sound heard past to. Goals: 0.5 s, 20 ms, 10 ms.
// Start scripts/start-sound-server.sh and source its environment first.
#include "enginefiles.h"
#include "soundcapture.h"

#include "app/messageboxgate.h"
#include "boardhost.h"
#include "chip/operations.h"
#include "form/form1.h"
#include "job/headless.h"
#include "job/jobrunner.h"
#include "link/qtserialport.h"
#include "player/audioplayer.h"
#include "player/filedialog.h"

#include <QApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kQuiet = 3000;

class NoDialog final : public FileDialog {
public:
    void ShowOpen() override { FileName.clear(); }
};
constexpr int kFromMs = 500, kToMs = 1500;

struct Stats {
    std::vector<double> v;
    void add(double x) { v.push_back(x); }
    void print(const char* what, const char* unit) {
        if (v.empty()) {
            std::printf("  %-44s no samples\n", what);
            return;
        }
        std::sort(v.begin(), v.end());
        double sum = 0;
        for (double x : v)
            sum += x;
        std::printf("  %-44s n=%zu  min %.1f  median %.1f  mean %.1f  max %.1f %s\n", what, v.size(),
                    v.front(), v[v.size() / 2], sum / double(v.size()), v.back(), unit);
    }
};

// The last frame of the sound that starts at first: the frame before 50 ms of silence.
int64_t endOfSound(const SoundCapture& cap, int64_t first) {
    int64_t last = first;
    for (int64_t f = first; f < cap.frames() && f - last < SoundCapture::kRate / 20; ++f)
        if (cap.level(f) >= kQuiet)
            last = f;
    return last;
}

void measure(int prompts, EngineFiles& files, SoundCapture& cap) {
    const QString tone =
        files.sox(QStringLiteral("tone.wav"), {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                               "2", "sine", "1000", "vol", "0.5"});
    QString text = QStringLiteral("chip = \"ISD1760\"\n");
    for (int i = 0; i < prompts; ++i)
        text += QStringLiteral("[[prompt]]\nname = \"p%1\"\nfile = \"tone.wav\"\nfrom = %2\nto = %3\n")
                    .arg(i)
                    .arg(kFromMs)
                    .arg(kToMs);
    const QByteArray utf8 = text.toUtf8();
    const job::Planned planned =
        job::planJobText(std::string_view(utf8.constData(), size_t(utf8.size())),
                         QFileInfo(tone).absolutePath(), job::audioFactsOnDisk, job::figuresOnDisk);
    if (!planned.faults.empty()) {
        std::printf("  the job was refused: %s\n", qPrintable(planned.faults.front().text));
        return;
    }

    SimulatedBoardHost board;
    QString error;
    if (!board.start(&error)) {
        std::printf("  no simulated board: %s\n", qPrintable(error));
        return;
    }
    LinkSettings settings;
    settings.portDevices[1] = board.devicePath();
    auto gateOwned = std::make_unique<MessageBoxGate>(std::make_unique<job::PrintedMessageBox>());
    MessageBoxGate& gate = *gateOwned;
    Form1 form(Form1::Platform{std::make_unique<QtSerialPort>(settings), std::make_unique<AudioPlayer>(),
                               std::make_unique<NoDialog>(), std::move(gateOwned)});
    const QString report = files.path(QStringLiteral("bench.report.jsonl"));
    job::JobRunner runner(form, gate, planned.plan, {files.path(QStringLiteral("bench.toml")), report, 1});

    // When each answer came, on the capture's clock, and where the capture was then.
    std::vector<std::pair<double, int64_t>> setRecAnswers;
    std::vector<double> pointerAnswers;
    QObject::connect(&form, &Form1::replyDecoded, [&](uint8_t command, const QByteArray&) {
        const double now = double(cap.clock().nsecsElapsed()) / 1e6;
        if (command == chip::SET_REC)
            setRecAnswers.emplace_back(now, cap.frames());
        else if (command == chip::RD_REC_PTR)
            pointerAnswers.push_back(now);
    });
    bool done = false;
    int code = -1;
    QObject::connect(&runner, &job::JobRunner::finished, [&](int result) {
        done = true;
        code = result;
    });
    const double start = double(cap.clock().nsecsElapsed()) / 1e6;
    runner.start();
    while (!done)
        cap.pump(1);
    const double jobMs = double(cap.clock().nsecsElapsed()) / 1e6 - start;
    for (int i = 0; i < 30; ++i) // the capture's last deliveries
        cap.pump(10);

    // The pointer answers past the prompts' own belong to the check of the chip's message table.
    const size_t ownPointers = std::min(pointerAnswers.size(), size_t(prompts));
    const double promptsMs = ownPointers > 0 ? pointerAnswers[ownPointers - 1] - start : jobMs;
    const double soundMs = double(prompts) * (kToMs - kFromMs);
    std::printf(
        " %d prompts of %.2f s: exit code %d, job %.2f s, of which the message table's check %.2f s\n",
        prompts, (kToMs - kFromMs) / 1000.0, code, jobMs / 1000.0, (jobMs - promptsMs) / 1000.0);
    std::printf("  %-44s %.3f s\n", "(prompts' part - sound) / prompts",
                (promptsMs - soundMs) / 1000.0 / prompts);
    Stats each, start0, after;
    for (size_t i = 1; i < ownPointers; ++i)
        each.add(pointerAnswers[i] - pointerAnswers[i - 1] - (kToMs - kFromMs));
    for (const auto& [answerMs, frame] : setRecAnswers) {
        const int64_t first = cap.firstAbove(kQuiet, frame);
        if (first < 0)
            continue;
        start0.add(cap.receivedMsAtFrame(first) - answerMs);
        after.add(double(endOfSound(cap, first) - first + 1) * 1000.0 / SoundCapture::kRate -
                  (kToMs - kFromMs));
    }
    each.print("per prompt after the first (overhead)", "ms");
    start0.print("SET_REC answer -> first sample at monitor", "ms");
    after.print("sound heard past to", "ms");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QString reason = SoundCapture::unavailableReason();
    if (!reason.isEmpty()) {
        std::printf("recording job: not measured (%s)\n", qPrintable(reason));
        return 0;
    }
    EngineFiles files;
    SoundCapture cap;
    if (!cap.start()) {
        std::printf("recording job: parec did not deliver\n");
        return 0;
    }
    std::printf(
        "recording job on the simulated board at 1200 baud, a 1 kHz tone from %d to %d ms per prompt\n",
        kFromMs, kToMs);
    for (const int prompts : {3, 10})
        measure(prompts, files, cap);
    std::printf(
        "  (the first-sample time is when parec handed the sample over: an upper bound; sound past to\n"
        "   is the tone heard minus to - from, within half a period of the 1 kHz tone)\n");
    return 0;
}
