// bench_reply: the board answers a read-play-pointer command 200 times on a pseudo-terminal; each
// time, from the moment its last byte was written to the end of the receiver's decoding, is
// printed as median, mean, 90th percentile and maximum (goal: median under 1 ms).
#include "../common/ptyconsole.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <semaphore>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 100000) : 200;

    bench::PtyMaster board;
    if (!board.ok()) {
        std::fprintf(stderr, "bench_reply: no pseudo-terminal\n");
        return 1;
    }
    auto form = bench::consoleOn(board.slavePath());
    if (!form->MSComm1->portOpen()) {
        std::fprintf(stderr, "bench_reply: cannot open %s\n", qPrintable(board.slavePath()));
        return 1;
    }

    std::vector<qint64> written(size_t(rounds), 0);
    std::vector<qint64> decoded;
    decoded.reserve(size_t(rounds));
    std::binary_semaphore expecting(0);
    std::atomic<bool> abandon{false};

    // The board: waits until the console expects a reply, then writes all four bytes at once.
    std::thread boardThread([&] {
        for (int i = 0; i < rounds; ++i) {
            expecting.acquire();
            if (abandon.load())
                return;
            const QByteArray reply{"\x12\x34", 2};
            written[size_t(i)] = board.write(reply + char(i >> 8) + char(i & 0xFF));
        }
    });

    const auto expectNext = [&] {
        form->RinCnt = 0;
        form->RinNeedCnt = 4;
        form->SendCmd = 0x06;
        expecting.release();
    };
    // Connected after the window's own receive handler, so it runs when the decoding has ended.
    QObject::connect(form->MSComm1, &SerialPort::OnComm, &app, [&] {
        if (form->RinCnt != 0)
            return;
        decoded.push_back(bench::nowUs());
        if (int(decoded.size()) == rounds) {
            app.quit();
            return;
        }
        // A short pause between rounds, as between an operator's clicks.
        QTimer::singleShot(2, &app, expectNext);
    });
    QTimer::singleShot(0, &app, expectNext);
    QTimer::singleShot(60000, &app, [&] {
        std::fprintf(stderr, "bench_reply: only %zu of %d replies decoded\n", decoded.size(), rounds);
        app.quit();
    });
    app.exec();
    abandon = true;
    expecting.release();
    boardThread.join();

    if (int(decoded.size()) != rounds)
        return 1;
    std::vector<double> latencies;
    for (int i = 0; i < rounds; ++i)
        latencies.push_back(double(decoded[size_t(i)] - written[size_t(i)]) / 1000.0);
    const bench::Summary s = bench::summarise(latencies);
    std::printf("bench_reply: %d four-byte replies, board's last byte written -> decoding done\n", rounds);
    std::printf("  median %.3f ms (goal < 1)   mean %.3f ms   p90 %.3f ms   max %.3f ms\n", s.median, s.mean,
                s.p90, s.max);
    std::printf("  last Play_Text \"%s\"\n", qPrintable(form->Play_Text->text()));
    return 0;
}
