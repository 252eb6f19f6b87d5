// The picture of the voice chip shown in Picture1: two 28-pin DIP packages, drawn in code.
#pragma once

#include <QPixmap>

// 178 x 99 pixels.
QPixmap chipPicture();
