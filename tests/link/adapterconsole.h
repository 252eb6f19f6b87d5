// Form1 on the product's port over a pseudo-terminal, for the tests of a bench going wrong: port 1
// is a node of our own (a symbolic link to the pty's slave), so that pulling the adapter out can
// take the node away and plugging it back can put a new pty behind it, as udev does with
// /dev/serial/by-id/... when an adapter comes back.
#pragma once

#include "app/messageboxgate.h"
#include "fakes.h"
#include "link/linktrace.h"
#include "link/qtserialport.h"
#include "ptyboard.h"

#include "form/form1.h"

#include <QAction>
#include <QBuffer>
#include <QColor>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

struct AdapterConsole {
    enum class Reconnect { Off, On };

    QTemporaryDir dir;
    QString node = dir.filePath(QStringLiteral("ttyBench"));
    std::unique_ptr<PtyBoard> board;
    QtSerialPort* port = nullptr;
    FakeMessageBox* boxes = new FakeMessageBox;
    // Boxes show through to the fake unless something (a job) catches them.
    MessageBoxGate* gate = new MessageBoxGate(std::unique_ptr<MessageBox>(boxes));
    QBuffer traceText;
    LinkTrace trace{&traceText};
    std::unique_ptr<Form1> form;

    explicit AdapterConsole(Reconnect reconnect = Reconnect::Off) {
        plugIn();
        traceText.open(QIODevice::WriteOnly);
        LinkSettings settings;
        settings.portDevices.insert(1, node);
        settings.portDevices.insert(2, dir.filePath(QStringLiteral("ttyNone")));
        auto serial = std::make_unique<QtSerialPort>(settings);
        port = serial.get();
        port->setTrace(&trace);
        form = std::make_unique<Form1>(Form1::Platform{std::move(serial), std::make_unique<FakeMediaPlayer>(),
                                                       std::make_unique<FakeFileDialog>(),
                                                       std::unique_ptr<MessageBox>(gate)});
        form->reconnectAction->setChecked(reconnect == Reconnect::On);
        form->Combo1->setEditText(QStringLiteral("1"));
        form->Command16_Click();
    }
    void plugIn() {
        board = std::make_unique<PtyBoard>();
        QFile::link(board->slavePath(), node);
    }
    // A USB adapter pulled out: its tty hangs up and its node disappears.
    void pull() {
        board->closeMaster();
        QFile::remove(node);
    }
    void send(std::vector<uint8_t> frame, uint8_t replyLength) { form->sendFrame(frame, replyLength); }
    bool closedAsAfterAClick() const {
        return !port->portOpen() && !form->Timer1->isActive() && form->Command16->text() == "打开串口" &&
               form->Seril_StDig->fillColor() == QColor(0xFF, 0xFF, 0xFF);
    }
};
