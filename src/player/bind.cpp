// Binding of the audio source player's events: open, listen, slider, cue and status.
#include "app/form1.h"

void Form1::bindPlayer() {}
