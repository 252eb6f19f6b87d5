// The names of the frames the console sends, from the table of operations, with their parameters.
#include "monitor/framemeaning.h"

#include "chip/operations.h"
#include "link/hextext.h"

#include <QCoreApplication>

namespace {

QString hex(std::span<const uint8_t> bytes) {
    return hexText(bytes).trimmed();
}

// The analog-path bytes as si_ok builds them; empty when they follow another layout.
QString analogPath(uint8_t speaker, uint8_t path) {
    const int volume = path & 0x07;
    const bool lm = path & 0x10;
    const bool mic = path & 0x40;
    if ((speaker & ~0x01) != 0x0C || (path & 0xA0) != 0 || volume > 4 || (lm && mic))
        return QString();
    return QCoreApplication::translate("FrameMeaning", "音源 %1，监听 %2，SPK %3，音量 %4")
        .arg(mic  ? QStringLiteral("Mic")
             : lm ? QStringLiteral("LM")
                  : QStringLiteral("Lin"),
             (path & 0x08) ? QCoreApplication::translate("FrameMeaning", "开")
                           : QCoreApplication::translate("FrameMeaning", "关"),
             (speaker & 0x01) ? QCoreApplication::translate("FrameMeaning", "关")
                              : QCoreApplication::translate("FrameMeaning", "开"))
        .arg(4 - volume);
}

} // namespace

QString frameMeaning(std::span<const uint8_t> frame) {
    if (frame.empty())
        return QString();
    const chip::Operation* op = chip::operation(frame[0]);
    if (!op)
        return QCoreApplication::translate("FrameMeaning", "不在命令表中的命令 %1").arg(hex(frame.first(1)));

    const QString name = op->name
                             ? QString::fromLatin1(op->name)
                             : QCoreApplication::translate("FrameMeaning", "读当前地址（板子自己的命令）");
    const std::span<const uint8_t> parameters = frame.subspan(1);
    if (frame.size() != op->frameLength) {
        QString text =
            QCoreApplication::translate("FrameMeaning", "%1（应为 %2 字节）").arg(name).arg(op->frameLength);
        if (!parameters.empty())
            text += QLatin1Char(' ') + hex(parameters);
        return text;
    }
    if (op->frameLength == 5)
        return QStringLiteral("%1 %2 → %3").arg(name, hex(parameters.first(2)), hex(parameters.subspan(2)));
    if (op->frameLength == 3) {
        const QString path = analogPath(parameters[0], parameters[1]);
        return QStringLiteral("%1 %2").arg(name, path.isEmpty() ? hex(parameters) : path);
    }
    return name;
}
