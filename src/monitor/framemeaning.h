// What a command frame asks of the board, as the traffic monitor names it: the chip operation's
// name and its parameters ("SET_PLAY 01 23 → 04 56", "WR_APC2 音源 Mic，监听 开，SPK 关，音量 4").
#pragma once

#include <QString>

#include <cstdint>
#include <span>

QString frameMeaning(std::span<const uint8_t> frame);
