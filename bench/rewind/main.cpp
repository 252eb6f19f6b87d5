// bench_rewind: what a 1-hour mp3 and a 1-hour wav cost the event thread. The first "Open" (goal under
// 150 ms), the rewind of an ended file as the window issues it every 200 ms ("close", "Stop", "Open",
// "Play", "Stop"; goal under 2 ms), and the spacing of a 5-byte frame's bytes at the far end of a
// pseudo-terminal while that rewind repeats, against the same with the file merely held (goal: within
// 1 ms). The files are made with sox and lame in a temporary folder first (a minute or two).
#include "../common/ptyconsole.h"
#include "enginefiles.h"

#include "player/audioplayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

void printSummary(const char* what, const std::vector<double>& values, const char* goal) {
    const bench::Summary s = bench::summarise(values);
    std::printf("  %-40s n=%-4zu min %8.3f  median %8.3f  p90 %8.3f  max %8.3f ms  %s\n", what, values.size(),
                s.min, s.median, s.p90, s.max, goal);
}

void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool spinUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

void measureOpen(const QString& path) {
    std::vector<double> first;
    int32_t length = 0;
    for (int i = 0; i < 5; ++i) {
        AudioPlayer player;
        player.setFileName(path);
        QElapsedTimer t;
        t.start();
        player.setCommand(QStringLiteral("Open"));
        first.push_back(msSince(t));
        length = player.length();
    }
    printSummary("first Open (a fresh player)", first, "goal < 150");

    AudioPlayer player;
    player.setFileName(path);
    player.setCommand(QStringLiteral("Open"));
    std::vector<double> rewinds;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        for (const char* word : {"close", "Stop", "Open", "Play", "Stop"})
            player.setCommand(QString::fromLatin1(word));
        rewinds.push_back(msSince(t));
        QCoreApplication::processEvents();
    }
    printSummary("rewind: close Stop Open Play Stop", rewinds, "goal < 2");
    std::printf("  Length %d ms; files read from scratch over 1 + 200 opens: %d\n", length,
                player.freshOpens());
}

class ChosenFile final : public FileDialog {
public:
    explicit ChosenFile(QString path) : m_path(std::move(path)) {}
    void ShowOpen() override { FileName = m_path; }

private:
    QString m_path;
};

// Bytes of back-to-back 5-byte frames at the pty master: the spacing of the bytes inside each frame.
std::vector<double> frameSpacing(Form1& form, std::mutex& lock, std::vector<qint64>& arrivals, int frames) {
    std::vector<double> intervals;
    for (int f = 0; f < frames; ++f) {
        {
            std::lock_guard guard(lock);
            arrivals.clear();
        }
        form.sendFrame(std::vector<uint8_t>{0x80, 0x00, 0x10, 0x01, 0xFF});
        spinUntil([&] { return !form.Timer1->isActive(); }, 5000);
        spin(5); // the last byte's arrival
        std::lock_guard guard(lock);
        for (size_t i = 1; i < arrivals.size(); ++i)
            intervals.push_back(double(arrivals[i] - arrivals[i - 1]) / 1000.0);
    }
    return intervals;
}

std::vector<double> deviations(const std::vector<double>& intervals) {
    std::vector<double> d;
    for (double ms : intervals)
        d.push_back(std::abs(ms - 50.0));
    return d;
}

void measurePacing(const QString& path, int frames) {
    bench::PtyMaster board;
    if (!board.ok()) {
        std::printf("  pacing: no pseudo-terminal\n");
        return;
    }
    std::mutex lock;
    std::vector<qint64> arrivals;
    board.startReading([&](uint8_t, qint64 t) {
        std::lock_guard guard(lock);
        arrivals.push_back(t);
    });
    auto player = std::make_unique<AudioPlayer>();
    AudioPlayer* engine = player.get();
    // Connected before the window's own handler and after it: the time the status event takes.
    QElapsedTimer handler;
    std::vector<double> handlerMs;
    QObject::connect(engine, &MediaPlayer::StatusUpdate, [&] { handler.start(); });
    auto form = bench::consoleOn(board.slavePath(), std::move(player), std::make_unique<ChosenFile>(path));
    QObject::connect(engine, &MediaPlayer::StatusUpdate, [&] { handlerMs.push_back(msSince(handler)); });
    if (!form->MSComm1->portOpen()) {
        std::printf("  pacing: cannot open %s\n", qPrintable(board.slavePath()));
        return;
    }
    form->open_file_Click();
    spin(300);
    const std::vector<double> idle = frameSpacing(*form, lock, arrivals, frames);

    // Played from 300 ms before its end: once it has ended, every status event rewinds it.
    form->SetAddrText->setText(form->DipPlayPosit(engine->length() - 300));
    form->SetMusicPoint_Click();
    form->Try_Listen_Click();
    if (!spinUntil([&] { return engine->mode() == MediaPlayer::mciModeStop && engine->command() == "Stop"; },
                   10000)) {
        std::printf("  pacing: the file did not end\n");
        return;
    }
    spin(450);
    handlerMs.clear();
    const std::vector<double> rewinding = frameSpacing(*form, lock, arrivals, frames);
    board.stop();

    const bench::Summary i = bench::summarise(idle), r = bench::summarise(rewinding);
    const bench::Summary di = bench::summarise(deviations(idle)),
                         dr = bench::summarise(deviations(rewinding));
    std::printf("  5-byte frames x %d, byte spacing at the pty master (ms):\n", frames);
    std::printf("    %-22s mean %7.3f  stddev %6.3f  max deviation %6.3f  p90 deviation %6.3f\n", "file held",
                i.mean, i.stddev, di.max, di.p90);
    std::printf("    %-22s mean %7.3f  stddev %6.3f  max deviation %6.3f  p90 deviation %6.3f\n",
                "rewind every 200 ms", r.mean, r.stddev, dr.max, dr.p90);
    std::printf("    rewinding - held:      max deviation %+.3f ms  (goal within 1)\n", dr.max - di.max);
    printSummary("status event handler while rewinding", handlerMs, "");
    std::printf("  files read from scratch: %d (the first open; the rest were rewinds)\n",
                engine->freshOpens());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int frames = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 1000) : 40;

    EngineFiles files;
    QElapsedTimer making;
    making.start();
    const QStringList hour =
        QStringLiteral("-r 44100 -c 2 -n -b 16 %OUT synth 3600 sine 440 vol 0.5").split(QLatin1Char(' '));
    const QString wav = files.sox(QStringLiteral("hour.wav"), hour);
    const QString mp3 = files.lame(wav, QStringLiteral("hour.mp3"), {"-b", "128"});
    if (wav.isEmpty() || mp3.isEmpty()) {
        std::fprintf(stderr, "bench_rewind: sox and lame are needed (Debian: sox lame)\n");
        return 1;
    }
    std::printf("bench_rewind: 1-hour files made in %.0f s (44.1 kHz stereo; the page cache holds them)\n",
                double(making.elapsed()) / 1000.0);
    for (const auto& [name, path] :
         {std::pair{"mp3, CBR 128 kbit/s", mp3}, std::pair{"wav, 16-bit PCM", wav}}) {
        std::printf("%s, %lld MB:\n", name, QFile(path).size() / 1000000);
        measureOpen(path);
        measurePacing(path, frames);
    }
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("load average: %s\n", load.readLine().trimmed().constData());
    return 0;
}
