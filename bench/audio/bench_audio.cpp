// Measures the audio engine: time from "Play" to the first sample at the sound server, time from
// "Pause" to silence, the cue error (ms between From and what is heard first), and the time "Open"
// takes on a 10-minute mp3. Goals: 40 ms, 40 ms, 10 ms, 50 ms. Start scripts/start-sound-server.sh
// and source its environment first for the first three.
#include "enginefiles.h"
#include "soundcapture.h"

#include "player/audioplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kQuiet = 3000;
constexpr int kLoud = 16000;
constexpr int kStepMs = 2000;

struct Stats {
    std::vector<double> v;
    void add(double x) { v.push_back(x); }
    void print(const char* what, const char* unit) {
        if (v.empty()) {
            std::printf("  %-34s no samples\n", what);
            return;
        }
        std::sort(v.begin(), v.end());
        double sum = 0;
        for (double x : v)
            sum += x;
        std::printf("  %-34s n=%zu  min %.1f  median %.1f  mean %.1f  max %.1f %s\n", what, v.size(),
                    v.front(), v[v.size() / 2], sum / double(v.size()), v.back(), unit);
    }
};

void pumpFor(SoundCapture& cap, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        cap.pump(2);
}

bool pumpUntil(SoundCapture& cap, const std::function<bool()>& done, int deadlineMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > deadlineMs)
            return false;
        cap.pump(1);
    }
    return true;
}

void measurePlayback(EngineFiles& files) {
    const QString reason = SoundCapture::unavailableReason();
    if (!reason.isEmpty()) {
        std::printf("playback at the server: not measured (%s)\n", qPrintable(reason));
        return;
    }
    const QString quiet =
        files.sox(QStringLiteral("quiet.wav"), {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                                "2", "sine", "1000", "vol", "0.25"});
    const QString loud =
        files.sox(QStringLiteral("loud.wav"), {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                               "3", "sine", "1000", "vol", "0.75"});
    const QString wav = files.sox(QStringLiteral("step.wav"), {quiet, loud, "%OUT"});
    const QString mp3 = files.lame(wav, QStringLiteral("step.mp3"), {"-V", "2"});

    SoundCapture cap;
    if (!cap.start()) {
        std::printf("playback at the server: parec did not deliver\n");
        return;
    }
    std::printf("playback at the server (output buffer %d ms; a 1 kHz tone steps up at %d ms):\n",
                AudioPlayer::kBufferMs, kStepMs);
    for (const QString& path : {wav, mp3}) {
        AudioPlayer player;
        player.setFileName(path);
        player.setCommand(QStringLiteral("Open"));
        Stats start, silence, cue;
        for (const int before : {500, 432, 321, 250, 177, 100, 61, 37}) {
            pumpFor(cap, 150);
            const int64_t from = cap.frames();
            player.setFrom(kStepMs - before);
            const double tPlay = double(cap.clock().nsecsElapsed()) / 1e6;
            player.setCommand(QStringLiteral("Play"));
            if (!pumpUntil(cap, [&] { return cap.firstAbove(kLoud, from) >= 0; })) {
                std::printf("  no sound arrived\n");
                return;
            }
            const int64_t first = cap.firstAbove(kQuiet, from);
            const int64_t step = cap.firstAbove(kLoud, from);
            start.add(cap.receivedMsAtFrame(first) - tPlay);
            cue.add(double(step - first) * 1000.0 / SoundCapture::kRate - before);
            pumpFor(cap, 120);
            const double tPause = double(cap.clock().nsecsElapsed()) / 1e6;
            player.setCommand(QStringLiteral("Pause"));
            pumpFor(cap, 250);
            const int64_t last = cap.lastAbove(kQuiet);
            silence.add(cap.receivedMsAtFrame(last) - tPause);
        }
        std::printf(" %s\n", path.endsWith(QLatin1String(".mp3")) ? "VBR mp3 (lame -V 2)" : "wav");
        start.print("Play -> first sample at monitor", "ms");
        silence.print("Pause -> last sample at monitor", "ms");
        cue.print("cue error (heard - From)", "ms");
    }
    std::printf(
        "  (times are when parec handed the sample over: the null sink's rendering plus the capture's\n"
        "   own delay; a negative Pause figure means nothing played after Pause was issued)\n");
}

void measureOpen(EngineFiles& files) {
    std::printf("open of a 10-minute mp3 (44.1 kHz stereo; decoder scan included):\n");
    const QString wav = files.sox(QStringLiteral("ten.wav"), {"-r", "44100", "-c", "2", "-n", "-b", "16",
                                                              "%OUT", "synth", "600", "sine", "440"});
    struct Kind {
        const char* name;
        QString path;
    };
    const Kind kinds[] = {
        {"CBR 128 kbit/s with Xing header", files.lame(wav, QStringLiteral("ten-cbr.mp3"), {"-b", "128"})},
        {"VBR -V 2 with Xing header", files.lame(wav, QStringLiteral("ten-vbr.mp3"), {"-V", "2"})},
        {"VBR -V 2 without header (lame -t)",
         files.lame(wav, QStringLiteral("ten-bare.mp3"), {"-t", "-V", "2"})},
    };
    QFile::remove(wav);
    for (const Kind& k : kinds) {
        Stats open;
        int32_t length = 0;
        for (int i = 0; i < 7; ++i) {
            AudioPlayer player;
            player.setFileName(k.path);
            QElapsedTimer t;
            t.start();
            player.setCommand(QStringLiteral("Open"));
            open.add(double(t.nsecsElapsed()) / 1e6);
            length = player.length();
        }
        std::printf(" %s: Length %d ms\n", k.name, length);
        open.print("Open", "ms");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    EngineFiles files;
    measurePlayback(files);
    measureOpen(files);
    return 0;
}
