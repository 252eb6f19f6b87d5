// Binding of the serial link's events: the port button, the pacing timer and the receive event.
#include "app/form1.h"

void Form1::bindLink() {}
