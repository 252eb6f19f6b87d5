// The window's module-level variables, shared by all of Form1's handlers. Byte fields are
// uint8_t so that their arithmetic wraps within 0..255; Long fields are int32_t.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

struct FormState {
    // Transmitter.
    std::vector<uint8_t> SendBuf;
    uint8_t SendLen = 0;
    uint8_t SendPos = 0;
    uint8_t SendCmd = 0;

    // Receiver.
    uint8_t RinNeedCnt = 0;
    uint8_t RinCnt = 0;
    std::array<uint8_t, 513> RinBuf{};
    uint8_t RinPos = 0;
    bool DevKnown = false;

    // Volume and level display.
    uint8_t VolStep = 0;
    uint8_t VolPtr = 0;

    // Output of the address parser.
    std::vector<uint8_t> HexBuf;

    // Player and recording.
    bool ListenOn = false;
    bool TryListenFlag = false;
    bool PlayerRun = false;
    bool RecOn = false;
    int32_t PlayPosit = 0;
    int32_t RecTimeCnt = 0;
    uint8_t PointScale = 0;
    uint8_t PointMode = 0;
    QString MusicFileName;
};
