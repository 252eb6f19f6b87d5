// What the console tells a person about serial devices: why a port would not open and what to do
// about it, why an open link went away, and the --list-ports listing. Pure text from given facts.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// Why an opening failed, as far as a remedy depends on it.
enum class OpenFailure { None, NoDevice, Permission, Busy, Other };

// How an open link went away.
enum class LinkLoss {
    NodeGone,     // the device node disappeared (a USB adapter pulled out)
    HangUp,       // the line hung up: reads give end-of-file, the far end is gone
    IoError,      // the system reports an input/output error on the device
    ReadsFailing, // reads keep failing without any of the above
};

// One serial device the system reports, and the port numbers that open it (none, one or more).
struct SerialDeviceFacts {
    QString location; // the device node, e.g. /dev/ttyUSB0 or COM3
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<uint16_t> vendorId;
    std::optional<uint16_t> productId;
    QList<int> portNumbers;
};

// The remedy shown under a failed opening's reason; empty when there is none to give.
// group is the group owning the device node, user the user running the console.
QString openRemedyText(OpenFailure failure, const QString& device, const QString& group, const QString& user,
                       const QList<SerialDeviceFacts>& present);

// The reason shown for a device that another program holds, in place of the system's words (which
// speak of permissions or lock files); program and pid name the holder where they are known.
QString busyReason(const QString& program, qint64 pid);

// The reason shown in "串口 <device> 已断开：<reason>"; systemReason is the system's own words
// where the cause has them.
QString linkLossReason(LinkLoss cause, const QString& systemReason = QString());
// The same cause in the trace's words.
QString linkLossTrace(LinkLoss cause, const QString& systemReason = QString());

// The listing of --list-ports, one block per device, ending in a newline.
QString portListingText(const QList<SerialDeviceFacts>& devices);
