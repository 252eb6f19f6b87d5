// Volume step and level display: VoilceVal steps VolStep through 0..4, SoundDip colours the five
// boxes for it, and VoiclePtrTimer animates them as a climbing bar every 250 ms. The display
// shows the setting only; it measures nothing and changes nothing the PC plays.
#include "app/form1.h"

#include <QPushButton>
#include <QTimer>

namespace {

constexpr int levelTickMs = 250;

// Lit colours of the five boxes, left to right: green, yellow, magenta, blue, red.
const QColor litColours[5] = {QColor(0x00, 0xFF, 0x00), QColor(0xFF, 0xFF, 0x00), QColor(0xFF, 0x00, 0xFF),
                              QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0x00, 0x00)};

} // namespace

void Form1::bindVolume() {
    VoiclePtrTimer->setInterval(levelTickMs);
    connect(VoiclePtrTimer, &QTimer::timeout, this, &Form1::VoiclePtrTimer_Timer);
    connect(VoilceVal, &QPushButton::clicked, this, &Form1::VoilceVal_Click);
}

void Form1::SoundDip(uint8_t SoundVol) {
    // Unlit boxes take the window's background colour.
    const QColor unlit = palette().color(QPalette::Base);
    for (int i = 0; i <= 4; ++i)
        VolicDisPlay(i).setFillColor(unlit);
    if (SoundVol > 4)
        return;
    for (int i = 0; i <= SoundVol; ++i)
        VolicDisPlay(i).setFillColor(litColours[i]);
}

void Form1::VoilceVal_Click() {
    if (VolStep >= 4)
        VolStep = 0;
    else
        VolStep = uint8_t(VolStep + 1);
    SoundDip(VolStep);
}

void Form1::VoiclePtrTimer_Timer() {
    if (VolPtr > VolStep) {
        // The bar stands above the setting: hide everything below the pointer and start again.
        while (VolPtr > 0) {
            VolPtr = uint8_t(VolPtr - 1);
            VolicDisPlay(VolPtr).setVisible(false);
        }
    } else {
        VolicDisPlay(VolPtr).setVisible(true);
        VolPtr = uint8_t(VolPtr + 1);
    }
    VoiclePtrTimer->setInterval(levelTickMs);
}
