// The chip lamps: CriDigClr hides all of them but the analog-path lamp Bottmp(0).
#include "app/form1.h"

void Form1::CriDigClr() {
    for (int i : {1, 3, 4})
        Bottmp(i).setVisible(false);
    for (int i = 0; i <= 6; ++i)
        Lift(i).setVisible(false);
    for (int i = 0; i <= 4; ++i)
        Right(i).setVisible(false);
}
