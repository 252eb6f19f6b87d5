// bench_simboard: the simulated board's reply latency as a program on its pseudo-terminal sees it,
// from writing DEVID to the first and the last of the three reply bytes, at several line rates.
#include "boardhost.h"

#include "../common/summary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// One round: DEVID out, three bytes back; times in ms. False when the board stays silent.
bool round(int fd, double& firstMs, double& lastMs) {
    const char devid = 0x09;
    QElapsedTimer clock;
    clock.start();
    if (::write(fd, &devid, 1) != 1)
        return false;
    int got = 0;
    while (got < 3) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            return false;
        char buf[8];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        if (got == 0)
            firstMs = double(clock.nsecsElapsed()) / 1e6;
        got += int(n);
    }
    lastMs = double(clock.nsecsElapsed()) / 1e6;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("simulated board: DEVID round trip at the pty, 3 reply bytes\n");
    std::printf("%9s %7s %10s %10s %10s %10s %10s\n", "baud", "rounds", "ideal ms", "first ms", "last mean",
                "last min", "last max");
    for (int baud : {1200, 9600, 115200, 1000000}) {
        // The board runs on a thread of its own, as it would in another process.
        QThread thread;
        SimulatedBoardOptions options;
        options.baud = baud;
        auto* host = new SimulatedBoardHost(options);
        host->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, host, &QObject::deleteLater);
        thread.start();
        QString error;
        bool started = false;
        QMetaObject::invokeMethod(
            host, [&] { started = host->start(&error); }, Qt::BlockingQueuedConnection);
        if (!started) {
            std::fprintf(stderr, "bench_simboard: %s\n", qPrintable(error));
            thread.quit();
            thread.wait();
            return 1;
        }
        const QByteArray path = host->devicePath().toLocal8Bit();
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);

        const int rounds = baud <= 1200 ? 100 : 300;
        std::vector<double> first, last;
        for (int i = 0; i < rounds; ++i) {
            double f = 0, l = 0;
            if (round(fd, f, l)) {
                first.push_back(f);
                last.push_back(l);
            }
        }
        ::close(fd);
        thread.quit();
        thread.wait();
        const bench::Summary ff = bench::summarise(first);
        const bench::Summary lf = bench::summarise(last);
        std::printf("%9d %7zu %10.3f %10.3f %10.3f %10.3f %10.3f\n", baud, last.size(), 3 * 10000.0 / baud,
                    ff.mean, lf.mean, lf.min, lf.max);
    }
    return 0;
}
