// isd1700-sim: plays an ISD1700 board on a pseudo-terminal for any program; prints the device path
// and runs until killed.
#include "boardhost.h"
#include "version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>

#include <csignal>
#include <memory>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("isd1700-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));

    QStringList models;
    for (const auto& t : Isd1700Model::chipTypes())
        models << QString::fromLatin1(t.name);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated ISD1700 voice-recorder board on a pseudo-terminal. Prints the device "
                       "to open, then answers frames on it until killed."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Chip on the board: %1 (default %2).")
                                             .arg(models.join(QStringLiteral(", ")),
                                                  QString::fromLatin1(Isd1700Model::defaultChipType().name)),
                                         QStringLiteral("name"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
                                        QStringLiteral("Line rate the replies are paced at (default 1200)."),
                                        QStringLiteral("rate"), QStringLiteral("1200"));
    const QCommandLineOption answerAllOption(
        QStringLiteral("answer-all"), QStringLiteral("Answer every frame with a status byte, also those "
                                                     "a board leaves unanswered (for fault tests)."));
    const QCommandLineOption traceOption(
        QStringLiteral("trace"),
        QStringLiteral("Write what the board received and sent to FILE, or - for stderr."),
        QStringLiteral("FILE"));
    parser.addOptions({modelOption, baudOption, answerAllOption, traceOption});
    parser.process(app);

    QTextStream err(stderr);
    SimulatedBoardOptions options;
    if (parser.isSet(modelOption)) {
        const auto type = Isd1700Model::chipTypeNamed(parser.value(modelOption));
        if (!type) {
            err << "isd1700-sim: unknown model " << parser.value(modelOption)
                << "; known: " << models.join(QStringLiteral(", ")) << Qt::endl;
            return 2;
        }
        options.chip = *type;
    }
    bool baudOk = false;
    options.baud = parser.value(baudOption).toInt(&baudOk);
    if (!baudOk || options.baud <= 0) {
        err << "isd1700-sim: --baud wants a positive number, not " << parser.value(baudOption) << Qt::endl;
        return 2;
    }
    options.answerAll = parser.isSet(answerAllOption);

    std::unique_ptr<QFile> traceFile;
    std::unique_ptr<QTextStream> trace;
    if (parser.isSet(traceOption)) {
        const QString target = parser.value(traceOption);
        if (target == QLatin1String("-")) {
            trace = std::make_unique<QTextStream>(stderr);
        } else {
            traceFile = std::make_unique<QFile>(target);
            if (!traceFile->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
                err << "isd1700-sim: cannot write " << target << ": " << traceFile->errorString() << Qt::endl;
                return 2;
            }
            trace = std::make_unique<QTextStream>(traceFile.get());
        }
        options.trace = trace.get();
    }

    SimulatedBoardHost host(options);
    QString error;
    if (!host.start(&error)) {
        err << "isd1700-sim: " << error << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << host.devicePath() << Qt::endl;

#if defined(Q_OS_UNIX)
    // SIGTERM and SIGINT end the event loop, so that the trace is flushed and the pty closed. The
    // handler only writes to a pipe: nothing else is safe inside it.
    static int quitPipe[2] = {-1, -1};
    if (::pipe(quitPipe) == 0) {
        auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::exit(0); });
        for (int sig : {SIGINT, SIGTERM}) {
            std::signal(sig, [](int) {
                const char byte = 0;
                [[maybe_unused]] const auto n = ::write(quitPipe[1], &byte, 1);
            });
        }
    }
#endif
    return app.exec();
}
