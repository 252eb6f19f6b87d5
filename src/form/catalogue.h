// The control catalogue: every visible control of Form1 with its container, its design
// rectangle in twips (relative to the container's client area) and its tab index.
#pragma once

#include <QRect>

#include <span>

struct ControlPlace {
    const char* name;             // objectName, e.g. "play" or "Lift(3)"
    const char* container;        // objectName of the container, "Form1" for the window itself
    int left, top, width, height; // twips
    int tab;                      // place in the tab order, -1 for controls outside it
};

// 15 twips to a pixel at 96 dpi.
constexpr int twipsPerPixel = 15;
constexpr int twipsToPixels(int twips) {
    return (twips + twipsPerPixel / 2) / twipsPerPixel;
}
QRect twipsToPixels(const ControlPlace& place);

// The window's client area.
constexpr int formWidthTwips = 7290;
constexpr int formHeightTwips = 6795;

std::span<const ControlPlace> controlCatalogue();
