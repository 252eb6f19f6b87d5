// bench_soak [seconds] [baud]: the console on its product serial port against the simulated board
// on a pseudo-terminal (on a thread of its own), sending the next operation as soon as the last
// reply is decoded, for the time given (default 600 s). Prints the CPU an open port costs with
// nothing sent (goal < 1 %), then operations sent, replies decoded, "bytes lost: N" (goal 0),
// resident memory at the start and the end (goal: growth < 1 MB), CPU per operation, and how long
// the console takes to notice the board's end going away.
#include "../common/ptyconsole.h"
#include "boardhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <ctime>
#include <sys/resource.h>

namespace {

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Boxes are counted, and the last one kept, instead of waiting for an operator.
class CountingBox final : public MessageBox {
public:
    void show(const QString& text, Icon, const QString&) override {
        ++shown;
        last = text;
    }
    // A counted box is gone at once: there is nothing to take down.
    quint64 shownCount() const override { return quint64(shown); }
    void close(quint64) override {}
    qint64 shown = 0;
    QString last;
};

struct Operation {
    const char* name;
    void (Form1::*click)();
    int replyBytes;
};

// Every operation the simulated board answers, in an order an operator might use them.
const Operation operations[] = {
    {"DEVID", &Form1::devid_id_Click, 3},
    {"RD_PLAY_PTR", &Form1::rd_play_addr_Click, 4},
    {"RD_REC_PTR", &Form1::rd_rec_addr_Click, 4},
    {"CurrentRow", &Form1::CurrentRowComm_Click, 3},
    {"SET_PLAY", &Form1::set_play_addr_Click, 5},
    {"REC", &Form1::rec_Click, 1},
    {"STOP", &Form1::stop_Click, 1},
};

// An answer this late counts as never coming; long, so that a busy machine that starves the
// console for a while does not make the bench give up on answers still on their way.
constexpr int unansweredMs = 10000;

void waitMs(QApplication& app, int ms) {
    QTimer::singleShot(ms, &app, &QCoreApplication::quit);
    app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 86400) : 600;
    const int baud = argc > 2 ? std::clamp(std::atoi(argv[2]), 50, 4000000) : 1200;

    // The board runs on a thread of its own, as it would in another device.
    QThread boardThread;
    SimulatedBoardOptions options;
    options.baud = baud;
    auto* board = new SimulatedBoardHost(options);
    board->moveToThread(&boardThread);
    boardThread.start();
    QString error;
    bool started = false;
    QMetaObject::invokeMethod(
        board, [&] { started = board->start(&error); }, Qt::BlockingQueuedConnection);
    if (!started) {
        std::fprintf(stderr, "bench_soak: %s\n", qPrintable(error));
        boardThread.quit();
        boardThread.wait();
        return 1;
    }
    const auto boardCount = [board](qint64 (SimulatedBoardHost::*count)() const) {
        qint64 value = 0;
        QMetaObject::invokeMethod(
            board, [&] { value = (board->*count)(); }, Qt::BlockingQueuedConnection);
        return value;
    };

    LinkSettings settings;
    settings.portDevices.insert(1, board->devicePath());
    Form1::Platform platform;
    platform.serialPort = std::make_unique<QtSerialPort>(settings);
    platform.mediaPlayer = std::make_unique<bench::SilentPlayer>();
    platform.fileDialog = std::make_unique<bench::NoDialog>();
    auto countingBox = std::make_unique<CountingBox>();
    CountingBox* boxes = countingBox.get();
    platform.messageBox = std::move(countingBox);
    Form1 form(std::move(platform));
    form.Command16_Click();
    if (!form.MSComm1->portOpen()) {
        std::fprintf(stderr, "bench_soak: cannot open %s: %s\n", qPrintable(board->devicePath()),
                     qPrintable(form.MSComm1->errorString()));
        return 1;
    }
    form.St_Play_Text->setText(QStringLiteral("00 10"));
    form.St_Play_Text1->setText(QStringLiteral("00 20"));

    std::printf("bench_soak: console against the simulated board at %d baud, %d s\n", baud, seconds);

    // Idle: the port open, nothing sent.
    waitMs(app, 500);
    const double idleThread0 = threadCpuSeconds();
    const double idleProcess0 = processCpuSeconds();
    QElapsedTimer idleClock;
    idleClock.start();
    waitMs(app, 10000);
    const double idleSeconds = double(idleClock.nsecsElapsed()) / 1e9;
    std::printf("  idle, port open, 10 s: console thread %.3f %% CPU, whole process %.3f %% (goal < 1 %%)\n",
                100.0 * (threadCpuSeconds() - idleThread0) / idleSeconds,
                100.0 * (processCpuSeconds() - idleProcess0) / idleSeconds);

    // Soak: the next operation as soon as the last reply is decoded.
    form.devid_pu_Click();
    waitMs(app, 200);
    const qint64 boardSentBefore = boardCount(&SimulatedBoardHost::bytesSent);
    qint64 sent = 0, decoded = 0, decodedBytes = 0, timeouts = 0;
    size_t next = 0;
    const Operation* inTransit = nullptr;
    bool soaking = true;
    QTimer timeout;
    timeout.setSingleShot(true);
    const auto sendNext = [&] {
        if (!soaking)
            return;
        inTransit = &operations[next];
        next = (next + 1) % std::size(operations);
        ++sent;
        (form.*(inTransit->click))();
        timeout.start(unansweredMs);
    };
    QObject::connect(&timeout, &QTimer::timeout, &app, [&] {
        ++timeouts;
        sendNext();
    });
    // Connected after the window's own receive handler: a count back at 0 means a reply was decoded.
    QObject::connect(form.MSComm1, &SerialPort::OnComm, &app, [&] {
        if (form.RinCnt != 0 || !inTransit)
            return;
        ++decoded;
        decodedBytes += inTransit->replyBytes;
        inTransit = nullptr;
        timeout.stop();
        QTimer::singleShot(0, &app, sendNext);
    });
    const long rssStart = residentKb();
    long rssWarm = -1;
    QTimer::singleShot(std::min(10, seconds / 2) * 1000, &app, [&] { rssWarm = residentKb(); });
    const double soakThread0 = threadCpuSeconds();
    const double soakProcess0 = processCpuSeconds();
    QElapsedTimer soakClock;
    soakClock.start();
    QTimer::singleShot(0, &app, sendNext);
    waitMs(app, seconds * 1000);
    soaking = false;
    timeout.stop();
    const double soakSeconds = double(soakClock.nsecsElapsed()) / 1e9;
    const double soakThread = threadCpuSeconds() - soakThread0;
    const double soakProcess = processCpuSeconds() - soakProcess0;
    // The last operation's reply may still be on its way.
    waitMs(app, 500);
    const long rssEnd = residentKb();
    const qint64 boardSent = boardCount(&SimulatedBoardHost::bytesSent) - boardSentBefore;
    const qint64 boardDropped = boardCount(&SimulatedBoardHost::bytesDropped);

    std::printf("  operations sent    %lld in %.1f s (%.1f per second)\n", (long long)sent, soakSeconds,
                double(sent) / soakSeconds);
    std::printf("  replies decoded    %lld (%lld operations unanswered within %d s)\n", (long long)decoded,
                (long long)timeouts, unansweredMs / 1000);
    std::printf("  bytes lost: %lld   (board sent %lld, decoded replies hold %lld, board overflow %lld)\n",
                (long long)(boardSent - decodedBytes + boardDropped), (long long)boardSent,
                (long long)decodedBytes, (long long)boardDropped);
    std::printf("  resident memory    start %ld kB, after warm-up %ld kB, end %ld kB: growth %+ld kB since "
                "warm-up (goal < 1024)\n",
                rssStart, rssWarm, rssEnd, rssEnd - rssWarm);
    std::printf("  CPU per operation  console thread %.1f us, whole process %.1f us (%.2f %% / %.2f %% of "
                "the time)\n",
                1e6 * soakThread / double(std::max<qint64>(sent, 1)),
                1e6 * soakProcess / double(std::max<qint64>(sent, 1)), 100.0 * soakThread / soakSeconds,
                100.0 * soakProcess / soakSeconds);
    std::printf("  boxes shown        %lld, last \"%s\"\n", (long long)boxes->shown, qPrintable(boxes->last));

    // The board's end goes away (its pseudo-terminal closed): how soon the console notices by itself.
    const qint64 boxesBefore = boxes->shown;
    QElapsedTimer lossClock;
    double noticedMs = -1;
    QObject::connect(form.MSComm1, &SerialPort::deviceLost, &app, [&] {
        noticedMs = double(lossClock.nsecsElapsed()) / 1e6;
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });
    QObject::connect(&boardThread, &QThread::finished, board, &QObject::deleteLater);
    lossClock.start();
    boardThread.quit();
    boardThread.wait();
    QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("  board's end closed: noticed after %.1f ms (goal < 1000), %lld box(es): \"%s\"\n",
                noticedMs, (long long)(boxes->shown - boxesBefore), qPrintable(boxes->last));

    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("  load average       %s\n", load.readLine().trimmed().constData());
    return 0;
}
