// quillory --inspect FILE... [--json]: the figures of source files, without a window.
#pragma once

#include <QStringList>

class QCommandLineParser;

// The window system is never needed when argv asks for --inspect (before a lone "--").
bool asksForInspect(int argc, char** argv);
void addInspectOptions(QCommandLineParser& parser);
bool inspectAsked(const QCommandLineParser& parser);
bool jsonAsked(const QCommandLineParser& parser);
// Prints one line per file, or one JSON array with --json, on stdout; a file that cannot be read goes
// to stderr with the reason the window gives for it. Returns 0, or 2 when a file could not be read.
int inspectFiles(const QStringList& files, bool json);
