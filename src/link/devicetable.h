// The ISD1700 models by the identifier byte that DEVID returns in its third reply byte.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The model name for an identifier byte (the whole byte is compared); nothing when the byte
// names no model of the series.
std::optional<QString> deviceModelName(uint8_t id);

// What the console shows for an identifier byte that names no model.
QString unknownDeviceText();
