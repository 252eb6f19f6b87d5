// A Form1 built on fakes, offscreen; the fakes stay reachable through plain pointers.
#pragma once

#include "fakes.h"
#include "form/form1.h"

#include <memory>

struct FormFixture {
    FakeSerialPort* port;
    FakeMediaPlayer* player;
    FakeFileDialog* dialog;
    FakeMessageBox* boxes;
    std::unique_ptr<Form1> form;

    FormFixture() {
        Form1::Platform platform;
        auto p = std::make_unique<FakeSerialPort>();
        auto m = std::make_unique<FakeMediaPlayer>();
        auto d = std::make_unique<FakeFileDialog>();
        auto b = std::make_unique<FakeMessageBox>();
        port = p.get();
        player = m.get();
        dialog = d.get();
        boxes = b.get();
        platform.serialPort = std::move(p);
        platform.mediaPlayer = std::move(m);
        platform.fileDialog = std::move(d);
        platform.messageBox = std::move(b);
        form = std::make_unique<Form1>(std::move(platform));
    }
    // One tick of the transmitter, the timer's 50 ms after the one before.
    void tick() {
        port->letTimePass(50);
        form->Timer1_Timer();
    }
};
