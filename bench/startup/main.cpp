// Start-up cost of the console: time from process start to the window's first paint, and the
// peak resident memory, over several fresh processes. Run with a display, or offscreen:
//   QT_QPA_PLATFORM=offscreen bench_startup [runs]
// The parent starts itself as a child per run; the child builds the window exactly as the
// console does, reports its first paint and its peak memory, and exits.
#include "form/form1.h"
#include "link/qtserialport.h"
#include "player/audioplayer.h"
#include "player/qtfiledialog.h"

#include "../common/summary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // Let the paint finish, then report and leave.
            QTimer::singleShot(0, [] {
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                std::printf("shown %ld\n", usage.ru_maxrss);
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

int child(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    Form1::Platform platform;
    platform.serialPort = std::make_unique<QtSerialPort>(LinkSettings{});
    platform.mediaPlayer = std::make_unique<AudioPlayer>();
    platform.fileDialog = std::make_unique<QtFileDialog>();
    platform.messageBox = std::make_unique<QtMessageBox>();
    Form1 form(std::move(platform));
    FirstPaint probe;
    form.installEventFilter(&probe);
    form.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child")
        return child(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<double> ms, mb;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!p.waitForReadyRead(30000)) {
            std::fprintf(stderr, "run %d: the child never showed its window\n", i + 1);
            return 1;
        }
        const double shownMs = clock.nsecsElapsed() / 1e6;
        p.waitForFinished(30000);
        const QByteArray line = p.readAllStandardOutput().trimmed();
        const long rssKb = line.startsWith("shown ") ? line.mid(6).toLong() : 0;
        ms.push_back(shownMs);
        mb.push_back(rssKb / 1024.0);
    }
    const bench::Summary t = bench::summarise(ms), m = bench::summarise(mb);
    std::printf("start-up to window shown: median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n", t.median,
                t.min, t.max, runs);
    std::printf("peak resident memory: median %.1f MB, max %.1f MB\n", m.median, m.max);
    return 0;
}
