// The start-up check that some installed font can draw the window's Chinese captions: without one
// every caption shows as boxes, and nothing on the screen says why.
#pragma once

#include <QString>

#include <functional>

class QWidget;

// The title of window and every caption, label and list item of its controls, run together.
QString windowCaptions(const QWidget& window);

// The one line for stderr, naming the Debian package that brings a font, when drawable refuses a
// character of captions; empty when it takes them all.
QString captionFontWarning(const QString& captions, const std::function<bool(char32_t)>& drawable);

// The same for window, asking its font, with the fallbacks the system offers for each character.
QString captionFontWarning(const QWidget& window);
