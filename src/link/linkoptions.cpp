// The serial link's command-line options.
#include "link/linkoptions.h"

#include <QCommandLineParser>

#include <array>
#include <optional>

namespace {

template <typename T> struct Choice {
    const char* word;
    T value;
};

template <typename T, size_t N>
std::optional<T> choose(const std::array<Choice<T>, N>& choices, const QString& text) {
    for (const Choice<T>& c : choices) {
        if (text.compare(QLatin1String(c.word), Qt::CaseInsensitive) == 0)
            return c.value;
    }
    return std::nullopt;
}

constexpr std::array<Choice<QSerialPort::Parity>, 5> parities{{
    {"none", QSerialPort::NoParity},
    {"even", QSerialPort::EvenParity},
    {"odd", QSerialPort::OddParity},
    {"mark", QSerialPort::MarkParity},
    {"space", QSerialPort::SpaceParity},
}};
constexpr std::array<Choice<QSerialPort::StopBits>, 3> stopBitChoices{{
    {"1", QSerialPort::OneStop},
    {"1.5", QSerialPort::OneAndHalfStop},
    {"2", QSerialPort::TwoStop},
}};
constexpr std::array<Choice<QSerialPort::FlowControl>, 3> flowControls{{
    {"none", QSerialPort::NoFlowControl},
    {"hardware", QSerialPort::HardwareControl},
    {"software", QSerialPort::SoftwareControl},
}};
constexpr std::array<Choice<QSerialPort::DataBits>, 4> dataBitChoices{{
    {"5", QSerialPort::Data5},
    {"6", QSerialPort::Data6},
    {"7", QSerialPort::Data7},
    {"8", QSerialPort::Data8},
}};

constexpr qint32 maxBaud = 4000000;

// termios knows one stop bit or two: a line asked for 1.5 would open with one, without a word.
#ifdef Q_OS_WIN
constexpr bool hasOneAndHalfStopBits = true;
#else
constexpr bool hasOneAndHalfStopBits = false;
#endif
const char* const stopBitsAccepted = hasOneAndHalfStopBits ? "give 1, 1.5 or 2" : "give 1 or 2";

QString refused(const char* option, const QString& value, const QString& accepted) {
    return QStringLiteral("--%1: \"%2\" is not accepted; %3").arg(QLatin1String(option), value, accepted);
}

} // namespace

void addLinkOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("Port number N (1 to 16) opens DEVICE, e.g. 1=/dev/ttyUSB0 or 3=COM7. "
                                     "Repeatable. Without it N opens /dev/ttyUSB<N-1> (COMN on Windows)."),
                      QStringLiteral("N=DEVICE")});
    parser.addOption({QStringLiteral("baud"), QStringLiteral("Baud rate (default 1200)."),
                      QStringLiteral("RATE"), QStringLiteral("1200")});
    parser.addOption({QStringLiteral("data-bits"), QStringLiteral("Data bits: 5, 6, 7 or 8 (default 8)."),
                      QStringLiteral("BITS"), QStringLiteral("8")});
    parser.addOption({QStringLiteral("parity"),
                      QStringLiteral("Parity: none, even, odd, mark or space (default none)."),
                      QStringLiteral("PARITY"), QStringLiteral("none")});
    parser.addOption({QStringLiteral("stop-bits"),
                      hasOneAndHalfStopBits ? QStringLiteral("Stop bits: 1, 1.5 or 2 (default 1).")
                                            : QStringLiteral("Stop bits: 1 or 2 (default 1)."),
                      QStringLiteral("BITS"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("flow-control"),
                      QStringLiteral("Flow control: none, hardware or software (default none)."),
                      QStringLiteral("MODE"), QStringLiteral("none")});
    parser.addOption({QStringLiteral("trace"),
                      QStringLiteral("Trace every byte sent, every chunk received and every decoded reply, "
                                     "with a monotonic time in microseconds, to FILE (- for stderr)."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("list-ports"),
                      QStringLiteral("List every serial port the system reports (device, description, "
                                     "manufacturer, serial number, USB vendor:product) with the port number "
                                     "that opens it under the current mapping, then exit.")});
    parser.addOption({QStringLiteral("reconnect"),
                      QStringLiteral("When the open port is lost, open it again by itself once its device "
                                     "comes back (the window's context menu turns this on and off).")});
}

bool readLinkOptions(const QCommandLineParser& parser, LinkOptions& options, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    LinkOptions read;

    for (const QString& mapping : parser.values(QStringLiteral("port"))) {
        const qsizetype eq = mapping.indexOf(QLatin1Char('='));
        const QString device = eq < 0 ? QString() : mapping.mid(eq + 1).trimmed();
        bool ok = false;
        const int number = eq < 0 ? 0 : mapping.left(eq).trimmed().toInt(&ok);
        if (!ok || number < 1 || number > 16 || device.isEmpty())
            return fail(refused("port", mapping, QStringLiteral("give N=DEVICE with N from 1 to 16")));
        // One of two devices for one number would be dropped without a word.
        if (read.settings.portDevices.contains(number))
            return fail(refused("port", mapping,
                                QStringLiteral("port %1 is already %2: give each number once")
                                    .arg(number)
                                    .arg(read.settings.portDevices.value(number))));
        read.settings.portDevices.insert(number, device);
    }

    const QString baudText = parser.value(QStringLiteral("baud"));
    bool ok = false;
    const int baud = baudText.trimmed().toInt(&ok);
    if (!ok || baud < 1 || baud > maxBaud)
        return fail(
            refused("baud", baudText, QStringLiteral("give a whole number from 1 to %1").arg(maxBaud)));
    read.settings.baudRate = baud;

    const QString dataBitsText = parser.value(QStringLiteral("data-bits"));
    const auto dataBits = choose(dataBitChoices, dataBitsText.trimmed());
    if (!dataBits)
        return fail(refused("data-bits", dataBitsText, QStringLiteral("give 5, 6, 7 or 8")));
    read.settings.dataBits = *dataBits;

    const QString parityText = parser.value(QStringLiteral("parity"));
    const auto parity = choose(parities, parityText.trimmed());
    if (!parity)
        return fail(refused("parity", parityText, QStringLiteral("give none, even, odd, mark or space")));
    read.settings.parity = *parity;

    const QString stopText = parser.value(QStringLiteral("stop-bits"));
    const auto stopBits = choose(stopBitChoices, stopText.trimmed());
    if (!stopBits)
        return fail(refused("stop-bits", stopText, QLatin1String(stopBitsAccepted)));
    if (*stopBits == QSerialPort::OneAndHalfStop && !hasOneAndHalfStopBits)
        return fail(
            refused("stop-bits", stopText,
                    QStringLiteral("the serial ports of this system have no 1.5 stop bits: give 1 or 2")));
    read.settings.stopBits = *stopBits;

    const QString flowText = parser.value(QStringLiteral("flow-control"));
    const auto flow = choose(flowControls, flowText.trimmed());
    if (!flow)
        return fail(refused("flow-control", flowText, QStringLiteral("give none, hardware or software")));
    read.settings.flowControl = *flow;

    if (parser.isSet(QStringLiteral("trace"))) {
        read.tracePath = parser.value(QStringLiteral("trace"));
        if (read.tracePath.isEmpty())
            return fail(refused("trace", read.tracePath, QStringLiteral("give a file name or - for stderr")));
    }

    read.listPorts = parser.isSet(QStringLiteral("list-ports"));
    read.reconnect = parser.isSet(QStringLiteral("reconnect"));

    options = std::move(read);
    return true;
}
