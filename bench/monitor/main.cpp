// bench_monitor: the console with its traffic monitor open and visible. Prints the resident memory
// of 100,000 rows, the pacing of 200 bytes at the far end of a pseudo-terminal while the board
// answers every byte (a new row per answer, in a monitor already full, so that every row also
// pushes the oldest out), and the time from a burst of 10,000 bytes leaving the board to the
// monitor showing it, and the memory after the board floods the full monitor with 10 MB.
#include "../common/ptyconsole.h"
#include "form/trafficmonitor.h"
#include "link/linktrace.h"
#include "monitor/monitorwindow.h"
#include "monitor/trafficlog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTimer>

namespace {

qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Runs the event loop until done() or the time is up; false when the time ran out. The loop sleeps
// between its looks at done(): a bench that spins takes a core from the console it measures.
bool runUntil(QApplication&, const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    look.start(5);
    deadline.start(timeoutMs);
    loop.exec();
    return done();
}

// Counts the received bytes the link records, and notes the first paint of the monitor (its rows
// or its waiting line) once a given number of them has come.
struct Watch final : LinkTraceSink, QObject {
    qint64 received = 0;
    qint64 lastReceivedUs = 0;
    qint64 awaited = -1;
    qint64 shownUs = -1;
    void record(const LinkEvent& e, const QByteArray&) override {
        if (e.kind == LinkEvent::Kind::Received) {
            received += e.bytes.size();
            lastReceivedUs = e.us;
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && awaited >= 0 && received >= awaited && shownUs < 0)
            shownUs = LinkTrace::nowUs();
        return QObject::eventFilter(watched, event);
    }
};

// The intervals between count paced bytes at the board, which answers each at once. SendCmd 0x00
// has no decoding, so each answer is a one-byte reply and a new row.
struct Pacing {
    bench::Summary intervals;
    bench::Summary deviations;
    int rows = 0;
    bool ok = false;
};

Pacing pace(QApplication& app, Form1& form, TrafficLog& log, std::mutex& lock, std::vector<qint64>& arrivals,
            std::atomic<bool>& answer) {
    constexpr int count = 200;
    {
        std::lock_guard guard(lock);
        arrivals.clear();
    }
    answer = true;
    std::vector<uint8_t> frame(size_t(count), 0);
    for (int i = 1; i < count; ++i)
        frame[size_t(i)] = uint8_t(i);
    // Every row made so far; the one on top that says how many went is none of them.
    const auto rowsMade = [&] { return log.rowsGone() + log.rowCount() - (log.rowsGone() > 0 ? 1 : 0); };
    const qint64 rowsBefore = rowsMade();
    form.sendFrame(frame, 1);
    runUntil(
        app, [&] { return !form.Timer1->isActive(); }, 30000);
    runUntil(
        app, [] { return false; }, 200);
    answer = false;
    Pacing p;
    p.rows = int(rowsMade() - rowsBefore);
    std::lock_guard guard(lock);
    if (arrivals.size() != size_t(count))
        return p;
    std::vector<double> intervals;
    std::vector<double> deviations;
    for (size_t i = 1; i < arrivals.size(); ++i) {
        const double ms = double(arrivals[i] - arrivals[i - 1]) / 1000.0;
        intervals.push_back(ms);
        deviations.push_back(std::abs(ms - 50.0));
    }
    p.intervals = bench::summarise(intervals);
    p.deviations = bench::summarise(deviations);
    p.ok = true;
    return p;
}

void printPacing(const char* title, const Pacing& p) {
    std::printf("  pacing of 200 bytes, each answered by the board, %s: %d new rows\n", title, p.rows);
    std::printf("    interval shortest %6.3f ms   (goal >= 50, less what the pty adds in transit)\n",
                p.intervals.min);
    std::printf("    interval mean   %8.3f ms   (goal 50 +- 0.1)\n", p.intervals.mean);
    std::printf("    interval largest %7.3f ms\n", p.intervals.max);
    std::printf("    interval stddev %8.3f ms\n", p.intervals.stddev);
    std::printf("    max deviation   %8.3f ms   (goal < 1)\n", p.deviations.max);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    bench::PtyMaster board;
    if (!board.ok()) {
        std::fprintf(stderr, "bench_monitor: no pseudo-terminal\n");
        return 1;
    }
    std::mutex lock;
    std::vector<qint64> arrivals;
    std::atomic<bool> answer{false};
    board.startReading([&](uint8_t byte, qint64 t) {
        {
            std::lock_guard guard(lock);
            arrivals.push_back(t);
        }
        if (answer)
            board.write(QByteArray(1, char(byte)));
    });

    auto form = bench::consoleOn(board.slavePath());
    if (!form->MSComm1->portOpen()) {
        std::fprintf(stderr, "bench_monitor: cannot open %s\n", qPrintable(board.slavePath()));
        return 1;
    }
    form->show();
    form->Monitor->show();
    MonitorWindow* window = form->Monitor->window();
    TrafficLog& log = form->Monitor->log();
    LinkTrace* trace = form->MSComm1->trace();
    Watch watch;
    trace->addSink(&watch);
    window->table->viewport()->installEventFilter(&watch);
    window->waitingLabel->installEventFilter(&watch);
    runUntil(
        app, [] { return false; }, 200);

    // A full monitor as a session fills it: five-byte frames, each with its five-byte reply.
    const qint64 emptyKiB = residentKiB();
    QElapsedTimer fillClock;
    fillClock.start();
    const uint8_t frame[] = {0x80, 0x01, 0x23, 0x04, 0x56};
    const int added = log.rowLimit() - log.rowCount();
    for (int row = 0; row < added; ++row) {
        if (row % 2 == 0) {
            trace->handedOver(frame, 5, 0);
            for (const uint8_t byte : frame)
                trace->sent(byte);
        } else {
            trace->received(QByteArray(reinterpret_cast<const char*>(frame), 5));
            trace->decoded(0x80, QStringLiteral("SET_PLAY 80 01 23 04 56 "), 5);
        }
        if (row % 2000 == 0)
            app.processEvents();
    }
    const double fillMs = double(fillClock.nsecsElapsed()) / 1e6;
    runUntil(
        app, [] { return false; }, 300);
    const qint64 fullKiB = residentKiB();
    const int rows = log.rowCount();

    // The same pacing with the window closed and then open, so that the machine's load weighs on
    // both alike.
    window->hide();
    const Pacing closed = pace(app, *form, log, lock, arrivals, answer);
    window->show();
    runUntil(
        app, [] { return false; }, 200);
    const Pacing open = pace(app, *form, log, lock, arrivals, answer);

    // A burst of 10,000 bytes from the board, with a reply of one byte awaited.
    constexpr int burst = 10000;
    form->RinCnt = 0;
    form->RinNeedCnt = 1;
    watch.awaited = watch.received + burst;
    QByteArray bytes(burst, '\0');
    for (int i = 0; i < burst; ++i)
        bytes[i] = char(i * 7);
    const qint64 burstStart = bench::nowUs();
    board.write(bytes);
    const bool allIn = runUntil(
        app, [&] { return watch.shownUs >= 0; }, 30000);
    const qint64 lastReceivedUs = watch.lastReceivedUs;
    runUntil(
        app, [&] { return log.waitingBytes().isEmpty(); }, 5000);
    const qint64 allRowsUs = bench::nowUs();

    // The board floods the full monitor with 10 MB of random bytes, as fast as the pty takes them;
    // the receiver drops them 255 at a time.
    constexpr qint64 floodBytes = 10 * 1000 * 1000;
    const qint64 beforeFloodKiB = residentKiB();
    const qint64 receivedBeforeFlood = watch.received;
    const qint64 floodStart = bench::nowUs();
    board.startFlood(0);
    runUntil(
        app, [&] { return board.flooded() >= floodBytes; }, 120000);
    board.stopFlood();
    const qint64 flooded = board.flooded();
    const bool floodIn = runUntil(
        app, [&] { return watch.received - receivedBeforeFlood >= flooded; }, 60000);
    const double floodSeconds = double(bench::nowUs() - floodStart) / 1e6;
    runUntil(
        app, [] { return false; }, 300);
    const qint64 afterFloodKiB = residentKiB();
    board.stop();

    std::printf("bench_monitor: the console with its traffic monitor (%s)\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("  resident memory   %8lld KiB with the window open and empty\n", emptyKiB);
    std::printf("                    %8lld KiB with %d rows (%+.1f MiB, %.0f bytes a row with its trace "
                "lines)\n",
                fullKiB, rows, double(fullKiB - emptyKiB) / 1024.0,
                double(fullKiB - emptyKiB) * 1024.0 / std::max(rows, 1));
    std::printf("  filling           %8.1f ms for %d rows, the window open\n", fillMs, added);
    if (!closed.ok || !open.ok) {
        std::fprintf(stderr, "bench_monitor: not every paced byte arrived\n");
        return 1;
    }
    printPacing("the monitor closed", closed);
    printPacing("the monitor open and visible", open);
    if (!allIn) {
        std::fprintf(stderr, "bench_monitor: the burst was not shown within 30 s\n");
        return 1;
    }
    std::printf("  burst of %d bytes from the board\n", burst);
    std::printf("    last byte in    %8.1f ms after the board wrote the first\n",
                double(lastReceivedUs - burstStart) / 1000.0);
    std::printf("    shown           %8.1f ms (the monitor painted with the last byte in a row or waiting)\n",
                double(watch.shownUs - burstStart) / 1000.0);
    std::printf("    all in rows     %8.1f ms (the receiver drops the last pile after %d ms of quiet)\n",
                double(allRowsUs - burstStart) / 1000.0, Form1::rinQuietMs);
    if (!floodIn) {
        std::fprintf(stderr, "bench_monitor: the flood was not all read within 60 s\n");
        return 1;
    }
    std::printf("  flood of %.1f MB of random bytes from the board into the full monitor, read in %.1f s\n",
                double(flooded) / 1e6, floodSeconds);
    std::printf("    resident memory %8lld KiB before, %lld KiB after (%+.1f MiB), %d rows\n", beforeFloodKiB,
                afterFloodKiB, double(afterFloodKiB - beforeFloodKiB) / 1024.0, log.rowCount());
    std::printf("    the log's own count %6.1f MiB of rows and trace lines (bound %lld MiB)\n",
                double(log.memoryUsed()) / (1024.0 * 1024.0), TrafficLog::defaultMemoryLimit / (1024 * 1024));
    // The figures mean little on a busy machine: say how busy it was.
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("  load average      %s\n", load.readLine().trimmed().constData());
    return 0;
}
