// The serial link's command-line options (--port, --baud, --data-bits, --parity, --stop-bits,
// --flow-control, --trace, --list-ports, --reconnect), added to main's parser and read back into
// LinkSettings.
#pragma once

#include "link/linksettings.h"

#include <QString>

class QCommandLineParser;

struct LinkOptions {
    LinkSettings settings;
    QString tracePath;      // empty: no trace; "-": stderr
    bool listPorts = false; // print the serial ports the system reports, then exit
    bool reconnect = false; // "自动重连" checked at start-up
};

void addLinkOptions(QCommandLineParser& parser);

// Reads the link's options after parser.parse(). On a bad value returns false and says in
// *error which option and value were refused and what is accepted.
bool readLinkOptions(const QCommandLineParser& parser, LinkOptions& options, QString* error);
