// Binding of the serial link's events: the port button, the pacing timer and the receive event.
#include "app/form1.h"

#include <QPushButton>
#include <QTimer>

void Form1::bindLink() {
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}
