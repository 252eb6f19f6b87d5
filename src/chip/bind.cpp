// Binding of the chip buttons to their handlers.
#include "app/form1.h"

void Form1::bindChip() {}
