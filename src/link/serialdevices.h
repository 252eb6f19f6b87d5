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
