// bench_pacing: 200 paced bytes through the transmitter, timed as they arrive at the far end of a
// pseudo-terminal. Prints the mean, standard deviation and largest deviation of the intervals from
// 50 ms (goal: mean within 0.1 ms, largest deviation under 1 ms on an idle machine).
#include "../common/ptyconsole.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::clamp(std::atoi(argv[1]), 2, 255) : 200;

    bench::PtyMaster board;
    if (!board.ok()) {
        std::fprintf(stderr, "bench_pacing: no pseudo-terminal\n");
        return 1;
    }
    std::mutex lock;
    std::vector<qint64> arrivals;
    board.startReading([&](uint8_t, qint64 t) {
        std::lock_guard guard(lock);
        arrivals.push_back(t);
    });

    auto form = bench::consoleOn(board.slavePath());
    if (!form->MSComm1->portOpen()) {
        std::fprintf(stderr, "bench_pacing: cannot open %s\n", qPrintable(board.slavePath()));
        return 1;
    }
    std::vector<uint8_t> frame(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        frame[size_t(i)] = uint8_t(i);
    const qint64 handOver = bench::nowUs();
    form->sendFrame(frame, 0);

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!form->Timer1->isActive())
            app.quit();
    });
    watch.start(20);
    app.exec();
    board.stop();

    std::lock_guard guard(lock);
    if (arrivals.size() != size_t(count)) {
        std::fprintf(stderr, "bench_pacing: %zu of %d bytes arrived\n", arrivals.size(), count);
        return 1;
    }
    std::vector<double> intervals;
    std::vector<double> deviations;
    for (size_t i = 1; i < arrivals.size(); ++i) {
        const double ms = double(arrivals[i] - arrivals[i - 1]) / 1000.0;
        intervals.push_back(ms);
        deviations.push_back(std::abs(ms - 50.0));
    }
    const bench::Summary s = bench::summarise(intervals);
    const bench::Summary d = bench::summarise(deviations);
    const double drift = double(arrivals.back() - handOver) / 1000.0 - 50.0 * count;
    std::printf("bench_pacing: %d bytes, one per 50 ms tick, measured at the pty master\n", count);
    std::printf("  interval mean     %8.3f ms   (goal 50 +- 0.1)\n", s.mean);
    std::printf("  interval stddev   %8.3f ms\n", s.stddev);
    std::printf("  interval min/max  %8.3f / %.3f ms\n", s.min, s.max);
    std::printf("  deviation median  %8.3f ms   p90 %.3f ms\n", d.median, d.p90);
    std::printf("  max deviation     %8.3f ms   (goal < 1)\n", d.max);
    std::printf("  last byte vs %d x 50 ms after hand-over: %+.3f ms\n", count, drift);
    // The figures mean little on a busy machine: say how busy it was.
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("  load average      %s\n", load.readLine().trimmed().constData());
    return 0;
}
