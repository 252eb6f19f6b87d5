// The product's file dialog behind CommonDialog1: a modal QFileDialog for opening one file.
#pragma once

#include "player/filedialog.h"

#include <QString>

class QWidget;

// "desc|pattern|desc|pattern" as Qt's "desc (pattern);;desc (pattern)". Several patterns in
// one entry may be separated by ";"; "*.*" becomes "*", so that "all files" also lists names
// without an extension.
QString qtNameFilters(const QString& filter);

class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    // Flags: 0x80000, the explorer-style dialog, is the only style used and Qt's ordinary one;
    // no other flag is honoured. Starts in the folder of the previous choice.
    void ShowOpen() override;

private:
    QWidget* m_parent;
};
