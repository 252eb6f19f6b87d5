// The chip lamps: CriDigClr hides all of them but the analog-path lamp Bottmp(0); showLamp lights
// one of the table of operations after it.
#include "form/form1.h"

void Form1::CriDigClr() {
    for (int i : {1, 3, 4})
        Bottmp(i).setVisible(false);
    for (int i = 0; i <= 6; ++i)
        Lift(i).setVisible(false);
    for (int i = 0; i <= 4; ++i)
        Right(i).setVisible(false);
}

void Form1::showLamp(chip::Lamp lamp) {
    CriDigClr();
    using Array = chip::Lamp::Array;
    switch (lamp.array) {
    case Array::None:
        return;
    case Array::Bottmp:
        Bottmp(lamp.index).setVisible(true);
        return;
    case Array::Lift:
        Lift(lamp.index).setVisible(true);
        return;
    case Array::Right:
        Right(lamp.index).setVisible(true);
        return;
    }
}
