// The ISD1700 models by identifier byte.
#include "link/devicetable.h"

#include <QCoreApplication>

#include <array>
#include <utility>

std::optional<QString> deviceModelName(uint8_t id) {
    static constexpr std::array<std::pair<uint8_t, const char*>, 11> models{{
        {0x80, "ISD1730"},
        {0x90, "ISD1720"},
        {0xA0, "ISD1760"},
        {0xA8, "ISD1750"},
        {0xB0, "ISD1740"},
        {0xC0, "ISD17150"},
        {0xC8, "ISD17120"},
        {0xD0, "ISD1790"},
        {0xE0, "ISD17240"},
        {0xE8, "ISD17210"},
        {0xF0, "ISD17180"},
    }};
    for (const auto& [code, name] : models) {
        if (code == id)
            return QString::fromLatin1(name);
    }
    return std::nullopt;
}

QString unknownDeviceText() {
    return QCoreApplication::translate("DeviceTable", "未知器件");
}
