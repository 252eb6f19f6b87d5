// The serial devices of this system as the platform reports them, and what the console needs to
// know about one device node: where it is, whether it is there now, who may open it.
#pragma once

#include "link/linksettings.h"
#include "link/portadvice.h"

#include <QList>
#include <QString>

// The node a device name opens: a bare name such as ttyUSB0 lives in /dev on Unix.
QString deviceLocation(const QString& device);
bool deviceNodePresent(const QString& device);
// The node a device name opens, links followed, as it is now: empty when it is absent. A device
// that goes away and comes back gets a new node (a pseudo-terminal may get the old one again).
QString deviceNodeInstance(const QString& device);
// The node itself, symbolic links followed (/dev/serial/by-id/... gives /dev/ttyUSB0); the name as
// given when it does not lead to a node.
QString deviceNodePath(const QString& device);
// Takes the device's own lock on an open descriptor of it: held until the descriptor closes, and
// refused (false) while another descriptor of the same device, under whatever name, holds it.
bool lockDeviceNode(int descriptor);
// The lock file that serial programs take for a device name, LCK..<name> with /dev/ left out and
// '/' as '_', in the first usual lock directory that can hold it (as QSerialPort chooses).
QString lockFilePathFor(const QString& device);
// The process holding the device under a lock (the node's own lock, or the lock file of the node's
// name or of the name given), where the system tells: pid 0 when none is found.
struct DeviceHolder {
    qint64 pid = 0;
    QString program;
};
DeviceHolder deviceHolder(const QString& device);
// The port numbers 1..16 that open the device under the settings' mapping, symbolic links
// followed (a --port naming /dev/serial/by-id/... opens the node it points to).
QList<int> portNumbersOpening(const QString& device, const LinkSettings& settings);
// Every serial device the system reports, with the port numbers that open it.
QList<SerialDeviceFacts> systemSerialDevices(const LinkSettings& settings);

// The group owning the device node; empty where the platform has none or the node is missing.
QString deviceNodeGroup(const QString& device);
QString currentUserName();
// Whether this user may open the node for reading and writing, by its permissions alone.
bool mayReadWrite(const QString& device);
