// Volume step and level display: VoilceVal steps VolStep through 0..4, SoundDip colours the five
// boxes for it, and VoiclePtrTimer animates them as a climbing bar every 250 ms. The display
// shows the setting only; it measures nothing and changes nothing the PC plays.
#include "form/form1.h"

#include "form/colours.h"

#include <QPushButton>
#include <QTimer>

namespace {

// Lit colours of the five boxes, left to right: green, yellow, magenta, blue, red.
const QColor litColours[5] = {colours::green, colours::yellow, colours::magenta, colours::blue, colours::red};

} // namespace

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
