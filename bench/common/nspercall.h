// Timing helper of the codec benches: the mean time of one call over many.
#pragma once

#include <QElapsedTimer>

template <typename F> double nsPerCall(int calls, F&& body) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i)
        body(i);
    return double(clock.nsecsElapsed()) / calls;
}
