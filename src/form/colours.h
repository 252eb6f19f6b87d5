// The window's colours, each spelled once: the lamps', the port lamp's and the green captions.
#pragma once

#include <QColor>

namespace colours {

inline const QColor white{0xFF, 0xFF, 0xFF};     // the port lamp while the port is closed
inline const QColor green{0x00, 0xFF, 0x00};     // the port lamp while open; Lift(0); level box 0
inline const QColor darkGreen{0x00, 0xC0, 0x00}; // the Right lamps and the two frame captions
inline const QColor black{0x00, 0x00, 0x00};
inline const QColor red{0xFF, 0x00, 0x00};
inline const QColor blue{0x00, 0x00, 0xFF};
inline const QColor magenta{0xFF, 0x00, 0xFF};
inline const QColor yellow{0xFF, 0xFF, 0x00};

} // namespace colours
