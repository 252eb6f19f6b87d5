// Saving a file whole or not at all, and the reason a file could not be written in the operator's
// words.
#pragma once

#include <QByteArray>
#include <QString>

struct FileFailure {
    int error = 0;  // the system's error number; 0 when it gave none
    QString system; // the system's own words
};

// Writes bytes to path whole or not at all: beside it under a temporary name, then renamed over
// it, so that a write, flush or close that fails leaves no half-written file under that name and
// whatever was there before. A path that names a device or a pipe is written in place, since
// renaming over it would replace the device.
bool writeWholeFile(const QString& path, const QByteArray& bytes, FileFailure* failure);

// Why a file could not be written, in the interface's language ("磁盘已满").
QString fileFailureText(const FileFailure& failure);
