// Binding of the traffic monitor: it records from the window's start and opens on demand.
#include "app/form1.h"
#include "monitor/trafficmonitor.h"

void Form1::bindMonitor() {
    Monitor = new TrafficMonitor(*this);
}
