// SR0's bits, which answers carry it, and its words for the trace and the window.
#include "chip/statusregister.h"

#include "chip/operations.h"

#include <QCoreApplication>
#include <QStringList>

namespace chip {

namespace {

QStringList flags(const StatusRegister& s) {
    QStringList out;
    for (const auto& [set, name] : {std::pair{s.cmdErr, "CMD_ERR"},
                                    {s.full, "FULL"},
                                    {s.poweredUp, "PU"},
                                    {s.eom, "EOM"},
                                    {s.interrupt, "INT"}})
        if (set)
            out << QLatin1String(name);
    return out;
}

QString rowText(uint16_t row) {
    return QStringLiteral("0x") + QString::number(row, 16).toUpper().rightJustified(3, u'0');
}

QString nameOf(uint8_t command) {
    const Operation* op = operation(command);
    return op && op->name ? QString::fromLatin1(op->name)
                          : QString::number(command, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

StatusRegister decodeStatus(uint8_t b0) {
    StatusRegister s;
    s.cmdErr = b0 & 0x01;
    s.full = b0 & 0x02;
    s.poweredUp = b0 & 0x04;
    s.eom = b0 & 0x08;
    s.interrupt = b0 & 0x10;
    return s;
}

StatusRegister decodeStatus(uint8_t b0, uint8_t b1) {
    StatusRegister s = decodeStatus(b0);
    s.row = uint16_t((b0 >> 5) | (b1 << 3));
    return s;
}

std::optional<StatusRegister> replyStatus(uint8_t command, std::span<const uint8_t> reply) {
    if ((command == DEVID || command == RD_PLAY_PTR || command == RD_REC_PTR) && reply.size() >= 2)
        return decodeStatus(reply[0], reply[1]);
    return std::nullopt;
}

bool actsOnChip(uint8_t command) {
    const Operation* op = operation(command);
    return !op || !op->resetsCount;
}

QString statusText(const StatusRegister& s) {
    const QStringList set = flags(s);
    QString text = QStringLiteral("SR0 %1").arg(set.isEmpty() ? QStringLiteral("no flag") : set.join(u' '));
    if (s.row)
        text += QStringLiteral(", row %1").arg(rowText(*s.row));
    return text;
}

QString refusalText(std::optional<uint8_t> command) {
    return QStringLiteral("the chip refused %1: CMD_ERR")
        .arg(command ? nameOf(*command) : QStringLiteral("an earlier command"));
}

QString replyStatusShown(const StatusRegister& s, std::optional<uint8_t> refusedCommand) {
    const QStringList set = flags(s);
    const QString shownFlags =
        set.isEmpty() ? QCoreApplication::translate("StatusRegister", "无标志") : set.join(u' ');
    QString text = s.row ? QCoreApplication::translate("StatusRegister", "；SR0：%1，行 %2")
                               .arg(shownFlags, rowText(*s.row))
                         : QCoreApplication::translate("StatusRegister", "；SR0：%1").arg(shownFlags);
    if (!s.cmdErr)
        return text;
    if (refusedCommand)
        return text + QCoreApplication::translate("StatusRegister", "；芯片拒绝了 %1：CMD_ERR")
                          .arg(nameOf(*refusedCommand));
    return text + QCoreApplication::translate("StatusRegister", "；芯片拒绝了之前的命令：CMD_ERR");
}

} // namespace chip
