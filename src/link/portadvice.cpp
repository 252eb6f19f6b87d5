// Texts about serial devices: remedies for a failed opening, reasons for a lost link, the listing.
#include "link/portadvice.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// The texts' context in the translations.
struct PortAdvice {
    Q_DECLARE_TR_FUNCTIONS(PortAdvice)
};

QString numbersText(const QList<int>& numbers) {
    QStringList parts;
    for (const int n : numbers)
        parts << QString::number(n);
    return parts.join(QStringLiteral(", "));
}

// One present device as the remedy lists it: which port number opens it, or how to give it one.
QString presentLine(const SerialDeviceFacts& d) {
    if (d.portNumbers.isEmpty())
        return PortAdvice::tr("%1（没有串口号打开它，可用 --port N=%1 指定）").arg(d.location);
    return PortAdvice::tr("%1（串口号 %2）").arg(d.location, numbersText(d.portNumbers));
}

QString hex4(uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

QString openRemedyText(OpenFailure failure, const QString& device, const QString& group, const QString& user,
                       const QList<SerialDeviceFacts>& present) {
    switch (failure) {
    case OpenFailure::Permission: {
        const QString who = user.isEmpty() ? QStringLiteral("$USER") : user;
        if (group.isEmpty())
            return PortAdvice::tr("当前用户无权读写 %1：请管理员授予读写权限。").arg(device);
        return PortAdvice::tr("%1 属于用户组 %2，当前用户无权读写。把用户加入该组，注销并重新登录后再试：\n"
                              "sudo usermod -aG %2 %3")
            .arg(device, group, who);
    }
    case OpenFailure::NoDevice: {
        if (present.isEmpty())
            return PortAdvice::tr("系统中没有任何串口设备：请检查适配器是否插好。");
        QStringList lines{PortAdvice::tr("系统中现有的串口设备：")};
        for (const SerialDeviceFacts& d : present)
            lines << presentLine(d);
        return lines.join(QLatin1Char('\n'));
    }
    case OpenFailure::Busy:
        return PortAdvice::tr("%1 正被另一个程序占用：请先关闭那个程序，或让它释放该串口。").arg(device);
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return QString();
}

QString busyReason(const QString& program, qint64 pid) {
    if (pid <= 0)
        return PortAdvice::tr("设备正被另一个程序占用");
    if (program.isEmpty())
        return PortAdvice::tr("设备正被另一个程序占用（进程号 %1）").arg(pid);
    return PortAdvice::tr("设备正被另一个程序占用：%1（进程号 %2）").arg(program).arg(pid);
}

QString linkLossReason(LinkLoss cause, const QString& systemReason) {
    switch (cause) {
    case LinkLoss::NodeGone:
        return PortAdvice::tr("设备已从系统中消失，适配器可能被拔出");
    case LinkLoss::HangUp:
        return PortAdvice::tr("设备已挂断，适配器可能被拔出或对端已关闭");
    case LinkLoss::IoError:
        return PortAdvice::tr("设备读写出错（%1）").arg(systemReason);
    case LinkLoss::ReadsFailing:
        return PortAdvice::tr("设备接连读取失败（%1）").arg(systemReason);
    }
    return QString();
}

QString linkLossTrace(LinkLoss cause, const QString& systemReason) {
    switch (cause) {
    case LinkLoss::NodeGone:
        return QStringLiteral("device node gone");
    case LinkLoss::HangUp:
        return QStringLiteral("hung up");
    case LinkLoss::IoError:
        return QStringLiteral("I/O error: %1").arg(systemReason);
    case LinkLoss::ReadsFailing:
        return QStringLiteral("reads keep failing: %1").arg(systemReason);
    }
    return QString();
}

QString portListingText(const QList<SerialDeviceFacts>& devices) {
    if (devices.isEmpty())
        return QStringLiteral("No serial ports found.\n");
    QString out = QStringLiteral("%1 serial port%2 found:\n")
                      .arg(devices.size())
                      .arg(devices.size() == 1 ? QString() : QStringLiteral("s"));
    for (const SerialDeviceFacts& d : devices) {
        if (d.portNumbers.isEmpty())
            out +=
                QStringLiteral("%1  no port number opens it (give one with --port N=%1)\n").arg(d.location);
        else
            out += QStringLiteral("%1  port %2\n").arg(d.location, numbersText(d.portNumbers));
        const auto field = [&out](const char* name, const QString& value) {
            if (!value.isEmpty())
                out += QStringLiteral("    %1 %2\n").arg(QLatin1String(name), value);
        };
        field("description:  ", d.description);
        field("manufacturer: ", d.manufacturer);
        field("serial number:", d.serialNumber);
        if (d.vendorId || d.productId)
            field("USB id:       ",
                  QStringLiteral("%1:%2").arg(d.vendorId ? hex4(*d.vendorId) : QStringLiteral("????"),
                                              d.productId ? hex4(*d.productId) : QStringLiteral("????")));
    }
    return out;
}
