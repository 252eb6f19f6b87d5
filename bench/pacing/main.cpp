// bench_pacing: paced bytes through the transmitter, timed as they arrive at the far end of a
// pseudo-terminal: on a quiet line, then while the board floods the console with random bytes at
// 11.5 kB/s and at the pty's full speed. Prints the shortest, mean and largest interval as the bytes
// left the console and as they reached the far end, and the pty's own delivery time, which adds to
// what the far end sees (goal: never under 50 ms as written; mean within 0.1 ms of 50 on a quiet line of an
// idle machine).
#include "../common/ptyconsole.h"
#include "link/linktrace.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdlib>

namespace {

// When the console wrote each byte, as its link's record stamps it.
struct Written final : LinkTraceSink {
    std::vector<qint64> us;
    void record(const LinkEvent& e, const QByteArray&) override {
        if (e.kind == LinkEvent::Kind::Sent)
            us.push_back(e.us);
    }
};

struct Run {
    const char* title;
    int floodBytesPerSecond; // -1: no flood; 0: as fast as the pty takes them
};

// Sends count bytes while the board floods as asked; false when not every byte arrived.
bool pace(QApplication& app, bench::PtyMaster& board, Form1& form, std::mutex& lock,
          std::vector<qint64>& arrivals, int count, const Run& run) {
    Written written;
    form.MSComm1->trace()->addSink(&written);
    {
        std::lock_guard guard(lock);
        arrivals.clear();
    }
    if (run.floodBytesPerSecond >= 0)
        board.startFlood(run.floodBytesPerSecond);
    const qint64 floodedBefore = board.flooded();
    // Nothing the flood brings makes a reply: the receiver drops it as it piles up.
    std::vector<uint8_t> frame(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        frame[size_t(i)] = uint8_t(i);
    const qint64 handOver = bench::nowUs();
    form.sendFrame(frame, 0);

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (form.Timer1->isActive())
            return;
        // Stopped while the console still reads, so that the board's writes never wait for it.
        board.stopFlood();
        app.quit();
    });
    watch.start(20);
    app.exec();
    const qint64 flooded = board.flooded() - floodedBefore;

    std::lock_guard guard(lock);
    if (arrivals.size() != size_t(count)) {
        std::fprintf(stderr, "bench_pacing: %zu of %d bytes arrived (%s)\n", arrivals.size(), count,
                     run.title);
        return false;
    }
    std::vector<double> intervals;
    std::vector<double> deviations;
    for (size_t i = 1; i < arrivals.size(); ++i) {
        const double ms = double(arrivals[i] - arrivals[i - 1]) / 1000.0;
        intervals.push_back(ms);
        deviations.push_back(std::abs(ms - 50.0));
    }
    const bench::Summary s = bench::summarise(intervals);
    std::vector<double> writeIntervals;
    for (size_t i = 1; i < written.us.size(); ++i)
        writeIntervals.push_back(double(written.us[i] - written.us[i - 1]) / 1000.0);
    const bench::Summary w = bench::summarise(writeIntervals);
    std::vector<double> transits;
    for (size_t i = 0; i < written.us.size() && i < arrivals.size(); ++i)
        transits.push_back(double(arrivals[i] - written.us[i]) / 1000.0);
    const bench::Summary t = bench::summarise(transits);
    // A gap under 50 ms at the far end while the console wrote 50 ms or more apart can only come from
    // the pty holding up the byte before: count those and whether the hold-up explains each.
    int shortAtFarEnd = 0, explainedByThePty = 0;
    for (size_t i = 1; i < intervals.size() + 1 && i < transits.size(); ++i) {
        if (intervals[i - 1] >= 50.0)
            continue;
        ++shortAtFarEnd;
        if (writeIntervals.size() >= i && writeIntervals[i - 1] >= 50.0 && transits[i - 1] > transits[i])
            ++explainedByThePty;
    }
    const bench::Summary d = bench::summarise(deviations);
    const double seconds = double(arrivals.back() - handOver) / 1e6;
    std::printf("  %s", run.title);
    if (run.floodBytesPerSecond >= 0)
        std::printf(" (%.1f kB/s came in)", double(flooded) / 1000.0 / std::max(seconds, 0.001));
    std::printf("\n    leaving the console: shortest %.3f ms (goal >= 50), mean %.3f ms, largest %.3f ms\n",
                w.min, w.mean, w.max);
    std::printf("    at the far end:      shortest %.3f ms, mean %.3f ms (goal 50 +- 0.1), largest %.3f ms, "
                "stddev %.3f ms (the pty's delivery adds to these)\n",
                s.min, s.mean, s.max, s.stddev);
    std::printf("    pty delivery: median %.3f ms, p90 %.3f ms, largest %.3f ms\n", t.median, t.p90, t.max);
    std::printf(
        "    gaps under 50 ms at the far end: %d of %zu, %d of them after a byte the pty held up while "
        "the console kept its 50 ms\n",
        shortAtFarEnd, intervals.size(), explainedByThePty);
    std::printf("    deviation median  %8.3f ms   p90 %.3f ms, largest %.3f ms\n", d.median, d.p90, d.max);
    std::printf("    last byte vs %d x 50 ms after hand-over: %+.3f ms\n", count,
                double(arrivals.back() - handOver) / 1000.0 - 50.0 * count);
    return true;
}

} // namespace

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
    std::printf("bench_pacing: %d bytes, one per 50 ms tick, measured at the pty master (its reader %s)\n",
                count, board.readerRealTime() ? "real-time" : "an ordinary thread");
    const Run runs[] = {{"quiet line", -1},
                        {"the board flooding at 11.5 kB/s", 11500},
                        {"the board flooding at the pty's full speed", 0}};
    for (const Run& run : runs)
        if (!pace(app, board, *form, lock, arrivals, count, run))
            return 1;
    board.stop();
    // The figures mean little on a busy machine: say how busy it was.
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("  load average      %s\n", load.readLine().trimmed().constData());
    return 0;
}
