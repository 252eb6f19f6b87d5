// The console's entry point: command-line options, then the window on the real serial port,
// audio engine, file dialog and message boxes.
#include "app/captionfont.h"
#include "app/inspect.h"
#include "app/language.h"
#include "app/messagebox.h"
#include "app/messageboxgate.h"
#include "boardhost.h"
#include "form/form1.h"
#include "form/trafficmonitor.h"
#include "job/headless.h"
#include "job/jobwindow.h"
#include "link/linkoptions.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "link/serialdevices.h"
#include "player/audioplayer.h"
#include "player/qtfiledialog.h"
#include "version.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// A refused option value ends the program before any window opens.
constexpr int exitBadOption = 2;

int refuse(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName().toLower()),
                 qPrintable(message));
    return exitBadOption;
}

// --simulate-board takes its port number optionally, which QCommandLineParser cannot express: a
// bare --simulate-board becomes --simulate-board=1 before parsing.
const QString simulateBoard = QStringLiteral("simulate-board");
const QString language = QStringLiteral("language");

QStringList withSimulatedBoardDefault(QStringList args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--"))
            break;
        if (args[i] == QLatin1String("--simulate-board"))
            args[i] = QStringLiteral("--simulate-board=1");
    }
    return args;
}
bool platformNamed(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        // Qt takes its options with one dash or two; --help-all shows them with two.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

// A job planned or run, or the chip's message table read, without a window needs no display, whether
// or not one is there.
bool windowless(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--plan") == 0 || std::strcmp(argv[i], "--headless") == 0 ||
            std::strcmp(argv[i], "--read-messages") == 0)
            return !platformNamed(argc, argv);
    }
    return false;
}

// No display and no platform named: the options can still be explained or refused, offscreen,
// but the window has nowhere to open.
bool noWindowSystem(int argc, char** argv) {
#ifdef Q_OS_LINUX
    if (platformNamed(argc, argv))
        return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return false;
#endif
}
} // namespace

int main(int argc, char** argv) {
    const bool headless = noWindowSystem(argc, argv);
    if (headless || windowless(argc, argv) || asksForInspect(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLORY_APP_ID));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Bench console for ISD1700-series voice-recorder boards on a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    addLinkOptions(parser);
    parser.addOption({simulateBoard,
                      QStringLiteral("Attaches the built-in simulated ISD1700 board as port N (default 1, "
                                     "--simulate-board alone) over a pseudo-terminal."),
                      QStringLiteral("N")});
    parser.addOption({language,
                      QStringLiteral("Interface language: zh (Chinese, the default whatever the system's "
                                     "locale) or en (English)."),
                      QStringLiteral("LANG"), QStringLiteral("zh")});
    const QCommandLineOption monitorOption(
        QStringLiteral("monitor"),
        QStringLiteral(
            "Opens the traffic monitor beside the window (also F12 or the window's context menu)."));
    parser.addOption(monitorOption);
    addInspectOptions(parser);
    const QCommandLineOption jobOption(
        QStringLiteral("job"),
        QStringLiteral(
            "Opens the prompt-loading job FILE (TOML) in a job window beside the console; with --plan "
            "prints its plan, with --headless runs it at once without a window."),
        QStringLiteral("FILE"));
    const QCommandLineOption planOption(
        QStringLiteral("plan"),
        QStringLiteral(
            "With --job: prints the plan (name, from, to, duration and rows of every prompt, the rows "
            "used and free) and exits; 0, or 2 for a job refused."));
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral(
            "With --job: runs the job at once without showing a window or needing a display; one line "
            "per prompt, then a summary. Enter is the next board, Ctrl-C stops."));
    const QCommandLineOption boardsOption(
        QStringLiteral("boards"),
        QStringLiteral(
            "With --job: runs the job on N boards one after another, waiting for each swap (default 1; "
            "0: until stopped)."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral(
            "With --job: appends the report, one JSON line per board, to FILE (default: beside the job "
            "file, door.toml -> door.report.jsonl)."),
        QStringLiteral("FILE"));
    const QCommandLineOption readMessagesOption(
        QStringLiteral("read-messages"),
        QStringLiteral(
            "Reads the chip's message table on port 1 (as --port maps it) without a window or a "
            "display: one line per message (number, rows in hex, duration at 8 kHz), then a "
            "summary; exits 0, or 3 when the board does not answer or the port cannot be opened."));
    parser.addOptions(
        {jobOption, planOption, headlessOption, boardsOption, reportOption, readMessagesOption});
    const QStringList arguments = withSimulatedBoardDefault(QApplication::arguments());
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    // --help offers --help-all; only Qt's own processing prints it, with Qt's options, and exits.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (inspectAsked(parser) && parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("--inspect: name at least one audio file"));
    if (jsonAsked(parser) && !inspectAsked(parser))
        return refuse(QStringLiteral("--json goes with --inspect"));
    if (!parser.positionalArguments().isEmpty() && !inspectAsked(parser))
        return refuse(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    LinkOptions link;
    QString error;
    if (!readLinkOptions(parser, link, &error))
        return refuse(error);
    const std::optional<InterfaceLanguage> chosen = interfaceLanguageFromText(parser.value(language));
    if (!chosen)
        return refuse(QStringLiteral("--language: \"%1\" is not a language of the console (en or zh)")
                          .arg(parser.value(language)));
    if (link.listPorts) {
        std::fputs(portListingText(systemSerialDevices(link.settings)).toLocal8Bit().constData(), stdout);
        return 0;
    }
    // Looked for before the window system, so that an installation lacking its translation says so
    // even where no window can open.
    const std::unique_ptr<QTranslator> translator = installInterfaceLanguage(
        *chosen, translationDirectories(QCoreApplication::applicationDirPath()), &error);
    if (*chosen != InterfaceLanguage::Chinese && !translator)
        std::fprintf(stderr, "quillory: %s; the window stays Chinese\n", qPrintable(error));
    if (inspectAsked(parser))
        return inspectFiles(parser.positionalArguments(), jsonAsked(parser));

    const QString jobPath = parser.value(jobOption);
    for (const QCommandLineOption* jobOnly : {&planOption, &headlessOption, &boardsOption, &reportOption}) {
        if (parser.isSet(*jobOnly) && jobPath.isEmpty())
            return refuse(QStringLiteral("--%1 needs --job FILE").arg(jobOnly->names().constFirst()));
    }
    const bool readMessages = parser.isSet(readMessagesOption);
    if (readMessages && !jobPath.isEmpty())
        return refuse(QStringLiteral("--read-messages reads the chip on its own: leave --job out"));
    if (parser.isSet(planOption) && parser.isSet(headlessOption))
        return refuse(QStringLiteral("--plan prints the plan, --headless runs the job: give one of them"));
    bool boardsOk = false;
    const int boards = parser.value(boardsOption).trimmed().toInt(&boardsOk);
    if (!boardsOk || boards < 0)
        return refuse(
            QStringLiteral("--boards: \"%1\" is not accepted; give a whole number, 0 for boards until "
                           "stopped")
                .arg(parser.value(boardsOption)));
    job::Planned planned;
    QString reportPath;
    if (!jobPath.isEmpty()) {
        planned = job::loadJob(jobPath);
        if (!planned.faults.empty()) {
            for (const job::Fault& fault : planned.faults)
                std::fprintf(stderr, "%s\n", job::faultLine(jobPath, fault).toLocal8Bit().constData());
            return job::exitRefused;
        }
        if (parser.isSet(planOption)) {
            std::fputs(job::planText(planned.plan).toLocal8Bit().constData(), stdout);
            return job::exitOk;
        }
        reportPath =
            parser.isSet(reportOption) ? parser.value(reportOption) : job::defaultReportPath(jobPath);
        if (!job::reportWritable(reportPath, &error))
            return refuse(QStringLiteral("--report: cannot write \"%1\": %2").arg(reportPath, error));
    }
    const bool jobHeadless = !jobPath.isEmpty() && parser.isSet(headlessOption);
    // Qt's own dialogs (the save dialog, its questions) speak the window's language.
    std::vector<std::unique_ptr<QTranslator>> qtTranslators;
    if (!jobHeadless && !readMessages && !headless) {
        qtTranslators = installQtTranslations(translator ? *chosen : InterfaceLanguage::Chinese,
                                              QLibraryInfo::path(QLibraryInfo::TranslationsPath), &error);
        if (qtTranslators.empty() && !(translator && *chosen == InterfaceLanguage::English))
            std::fprintf(stderr, "quillory: %s; Qt's own dialogs stay English\n", qPrintable(error));
    }
    if (headless && !jobHeadless && !readMessages) {
        std::fprintf(stderr, "quillory: no window system to open the console on (DISPLAY is not set)\n");
        return 1;
    }
    // The simulated board outlives the window, so the console's port closes before the board goes.
    std::unique_ptr<SimulatedBoardHost> board;
    if (parser.isSet(simulateBoard)) {
        const int16_t port = portNumberFromText(parser.value(simulateBoard));
        if (port == 0)
            return refuse(QStringLiteral("--simulate-board: \"%1\" is not a port number from 1 to 16")
                              .arg(parser.value(simulateBoard)));
        if (link.settings.portDevices.contains(port))
            return refuse(QStringLiteral("--simulate-board: port %1 is already %2 (--port)")
                              .arg(port)
                              .arg(link.settings.portDevices.value(port)));
        board = std::make_unique<SimulatedBoardHost>();
        if (!board->start(&error))
            return refuse(QStringLiteral("--simulate-board: %1").arg(error));
        link.settings.portDevices.insert(port, board->devicePath());
    }
    std::unique_ptr<LinkTrace> trace;
    if (!link.tracePath.isEmpty()) {
        trace = LinkTrace::open(link.tracePath, &error);
        if (!trace)
            return refuse(QStringLiteral("--trace: cannot write \"%1\": %2").arg(link.tracePath, error));
        trace->setFileFailureNotice([](const QString& message) {
            std::fprintf(stderr, "quillory: --trace: %s\n", qPrintable(message));
        });
    }

    FormPlatform platform;
    auto serialPort = std::make_unique<QtSerialPort>(link.settings);
    serialPort->setTrace(trace.get());
    platform.serialPort = std::move(serialPort);
    platform.mediaPlayer = std::make_unique<AudioPlayer>();
    auto fileDialog = std::make_unique<QtFileDialog>();
    QtFileDialog* dialog = fileDialog.get();
    platform.fileDialog = std::move(fileDialog);
    // Every box passes a gate, so that a job can take the boxes of its steps for itself.
    std::unique_ptr<MessageBox> shownBoxes;
    QtMessageBox* boxes = nullptr;
    if (jobHeadless || readMessages) {
        shownBoxes = std::make_unique<job::PrintedMessageBox>();
    } else {
        auto qtBoxes = std::make_unique<QtMessageBox>();
        boxes = qtBoxes.get();
        shownBoxes = std::move(qtBoxes);
    }
    auto gate = std::make_unique<MessageBoxGate>(std::move(shownBoxes));
    MessageBoxGate* boxGate = gate.get();
    platform.messageBox = std::move(gate);

    Form1 form(std::move(platform));
    if (readMessages)
        return job::readMessagesHeadless(form, *boxGate, 1);
    if (jobHeadless) {
        const QString absoluteJob = QFileInfo(jobPath).absoluteFilePath();
        return job::runHeadless(form, *boxGate, planned.plan, {absoluteJob, reportPath, boards});
    }
    form.reconnectAction->setChecked(link.reconnect);
    if (const QString warning = captionFontWarning(form); !warning.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    // Boxes and the dialog are modal to the window once it exists.
    boxes->setParent(&form);
    dialog->setParent(&form);
    job::JobDesk jobs(form, *boxGate, {boards, parser.value(reportOption)});
    form.show();
    if (parser.isSet(monitorOption))
        form.Monitor->show();
    if (!jobPath.isEmpty())
        jobs.showJob(jobPath, planned.plan);
    const int code = QApplication::exec();
    // A job run from --job ends the program with its own exit code.
    return !jobPath.isEmpty() && jobs.lastExitCode() >= 0 ? jobs.lastExitCode() : code;
}
