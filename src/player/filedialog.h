// The file-dialog seam (the window's CommonDialog1).
#pragma once

#include <QString>

#include <cstdint>

class QWidget;

class FileDialog {
public:
    virtual ~FileDialog() = default;

    int32_t Flags = 0;
    QString DialogTitle;
    QString Filter;   // "description|pattern|description|pattern..."
    QString FileName; // the chosen full path after ShowOpen; empty when cancelled

    // Modal; returns when the operator has chosen a file or cancelled.
    virtual void ShowOpen() = 0;
};
