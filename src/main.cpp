// The console's entry point: command-line options, then the window on the real serial port,
// audio engine, file dialog and message boxes.
#include "app/captionfont.h"
#include "app/form1.h"
#include "app/language.h"
#include "app/messagebox.h"
#include "boardhost.h"
#include "link/linkoptions.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "link/serialdevices.h"
#include "monitor/trafficmonitor.h"
#include "player/audioplayer.h"
#include "player/qtfiledialog.h"
#include "version.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
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
// No display and no platform named: the options can still be explained or refused, offscreen,
// but the window has nowhere to open.
bool noWindowSystem(int argc, char** argv) {
#ifdef Q_OS_LINUX
    for (int i = 1; i < argc; ++i) {
        // Qt takes its options with one dash or two; --help-all shows them with two.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    }
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
    if (headless)
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
    if (!parser.positionalArguments().isEmpty())
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
    const auto qtTranslators =
        installQtTranslations(translator ? *chosen : InterfaceLanguage::Chinese,
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath), &error);
    if (qtTranslators.empty() && !(translator && *chosen == InterfaceLanguage::English))
        std::fprintf(stderr, "quillory: %s; Qt's own dialogs stay English\n", qPrintable(error));
    if (headless) {
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

    Form1::Platform platform;
    auto serialPort = std::make_unique<QtSerialPort>(link.settings);
    serialPort->setTrace(trace.get());
    platform.serialPort = std::move(serialPort);
    platform.mediaPlayer = std::make_unique<AudioPlayer>();
    auto fileDialog = std::make_unique<QtFileDialog>();
    QtFileDialog* dialog = fileDialog.get();
    platform.fileDialog = std::move(fileDialog);
    auto messageBox = std::make_unique<QtMessageBox>();
    QtMessageBox* boxes = messageBox.get();
    platform.messageBox = std::move(messageBox);

    Form1 form(std::move(platform));
    form.reconnectAction->setChecked(link.reconnect);
    if (const QString warning = captionFontWarning(form); !warning.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    // Boxes and the dialog are modal to the window once it exists.
    boxes->setParent(&form);
    dialog->setParent(&form);
    form.show();
    if (parser.isSet(monitorOption))
        form.Monitor->show();
    return QApplication::exec();
}
