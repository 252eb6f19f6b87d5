// The ISD1700 models by identifier byte, one line each.
#include "link/devicetable.h"

#include <QCoreApplication>

namespace {
// clang-format off
constexpr DeviceModel models[] = {
    // id   name        seconds
    {0x90, "ISD1720",  20},
    {0x80, "ISD1730",  30},
    {0xB0, "ISD1740",  40},
    {0xA8, "ISD1750",  50},
    {0xA0, "ISD1760",  60},
    {0xD0, "ISD1790",  90},
    {0xC8, "ISD17120", 120},
    {0xC0, "ISD17150", 150},
    {0xF0, "ISD17180", 180},
    {0xE8, "ISD17210", 210},
    {0xE0, "ISD17240", 240},
};
// clang-format on
} // namespace

std::span<const DeviceModel> deviceModels() {
    return models;
}

const DeviceModel* deviceModelWithId(uint8_t id) {
    for (const DeviceModel& m : models)
        if (m.id == id)
            return &m;
    return nullptr;
}

const DeviceModel* deviceModelNamed(const QString& name) {
    for (const DeviceModel& m : models)
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

std::optional<QString> deviceModelName(uint8_t id) {
    if (const DeviceModel* m = deviceModelWithId(id))
        return QString::fromLatin1(m->name);
    return std::nullopt;
}

QString unknownDeviceText() {
    return QCoreApplication::translate("DeviceTable", "未知器件");
}
