// The ISD1700 models by the identifier byte that DEVID returns in its third reply byte, with the size
// of each: how many seconds it holds at 8 kHz, and so its last row.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

struct DeviceModel {
    uint8_t id;
    const char* name;
    // Seconds of sound at 8 kHz sampling; eight rows a second.
    int seconds;
    // Rows below 0x010 hold the chip's own sound effects; messages end at 0x010 + 8 x seconds - 1.
    uint16_t lastRow() const { return uint16_t(firstMessageRow + 8 * seconds - 1); }

    static constexpr uint16_t firstMessageRow = 0x010;
};

// Every model of the series, smallest first.
std::span<const DeviceModel> deviceModels();
// By identifier byte (the whole byte is compared) or by name ("ISD1760", case-insensitive).
const DeviceModel* deviceModelWithId(uint8_t id);
const DeviceModel* deviceModelNamed(const QString& name);

// The model name for an identifier byte; nothing when the byte names no model of the series.
std::optional<QString> deviceModelName(uint8_t id);

// What the console shows for an identifier byte that names no model.
QString unknownDeviceText();
