// bench_analysis: the analysis of a source file (peak, RMS, clipping, silence at the ends) on a 10-minute
// and a 1-hour mp3 (44.1 kHz stereo, CBR 128 kbit/s, as bench_rewind makes them), on as many threads as
// the analysis takes by itself and on one. Goal: the 1-hour mp3 in under 2 s. Prints wall and CPU time
// (this process's, all threads) and the load average, since other work on the machine shows in the wall
// time. The files are made with sox and lame first (a minute or two).
#include "enginefiles.h"

#include "player/sourceanalysis.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <ctime>
#include <thread>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QString loadAverage() {
    QFile load(QStringLiteral("/proc/loadavg"));
    return load.open(QIODevice::ReadOnly) ? QString::fromLatin1(load.readLine().trimmed())
                                          : QStringLiteral("?");
}

void measure(const char* name, const QString& path, int threads, const char* goal) {
    double best = 1e9, cpu = 0;
    std::optional<player::SourceFigures> figures;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer wall;
        const double cpuStart = cpuSeconds();
        wall.start();
        QString error;
        figures = player::analyseSource(path, &error, {threads, nullptr});
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        if (!figures) {
            std::printf("  %s: %s\n", name, qPrintable(error));
            return;
        }
        if (seconds < best) {
            best = seconds;
            cpu = cpuSeconds() - cpuStart;
        }
    }
    std::printf("  %-8s %-22s best of 3: %6.2f s wall, %6.2f s CPU  %s\n", name,
                threads == 0 ? "threads as it chooses" : "one thread", best, cpu, goal);
    std::printf("           %s\n", qPrintable(player::figuresLine(*figures)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    EngineFiles files;
    QElapsedTimer making;
    making.start();
    struct File {
        const char* name;
        int seconds;
        QString mp3;
        const char* goal;
    };
    File made[] = {{"10 min", 600, {}, ""}, {"1 h", 3600, {}, "(goal < 2 s)"}};
    for (File& f : made) {
        const QString wav = files.sox(QStringLiteral("%1.wav").arg(f.seconds),
                                      QStringLiteral("-r 44100 -c 2 -n -b 16 %OUT synth %1 sine 440 vol 0.5")
                                          .arg(f.seconds)
                                          .split(QLatin1Char(' ')));
        f.mp3 = files.lame(wav, QStringLiteral("%1.mp3").arg(f.seconds), {"-b", "128"});
        QFile::remove(wav);
        if (f.mp3.isEmpty()) {
            std::fprintf(stderr, "bench_analysis: sox and lame are needed (Debian: sox lame)\n");
            return 1;
        }
    }
    std::printf("bench_analysis: mp3 files made in %.0f s (44.1 kHz stereo, CBR 128 kbit/s); %u cores\n",
                double(making.elapsed()) / 1000.0, std::thread::hardware_concurrency());
    for (const File& f : made) {
        measure(f.name, f.mp3, 0, f.goal);
        measure(f.name, f.mp3, 1, "");
    }
    std::printf("load average: %s\n", qPrintable(loadAverage()));
    return 0;
}
