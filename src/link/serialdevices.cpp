// Serial devices and device nodes as the platform reports them.
#include "link/serialdevices.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#if defined(Q_OS_UNIX)
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

QString deviceLocation(const QString& device) {
#if defined(Q_OS_UNIX)
    if (!device.isEmpty() && !device.contains(QLatin1Char('/')))
        return QStringLiteral("/dev/") + device;
#endif
    return device;
}

bool deviceNodePresent(const QString& device) {
#if defined(Q_OS_UNIX)
    return QFileInfo::exists(deviceLocation(device));
#else
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.portName().compare(device, Qt::CaseInsensitive) == 0 ||
            info.systemLocation().compare(device, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
#endif
}

QString deviceNodeInstance(const QString& device) {
#if defined(Q_OS_UNIX)
    struct stat st {};
    if (::stat(QFile::encodeName(deviceLocation(device)).constData(), &st) != 0)
        return QString();
    return QStringLiteral("%1:%2:%3")
        .arg(quint64(st.st_dev))
        .arg(quint64(st.st_ino))
        .arg(quint64(st.st_rdev));
#else
    return deviceNodePresent(device) ? deviceLocation(device) : QString();
#endif
}

namespace {

bool sameDevice(const QString& a, const QString& b) {
    const QString la = deviceLocation(a);
    const QString lb = deviceLocation(b);
    if (la == lb)
        return true;
    const QString ca = QFileInfo(la).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(lb).canonicalFilePath();
}

} // namespace

QList<int> portNumbersOpening(const QString& device, const LinkSettings& settings) {
    QList<int> numbers;
    for (int n = 1; n <= 16; ++n) {
        if (sameDevice(settings.deviceFor(n), device))
            numbers << n;
    }
    return numbers;
}

QList<SerialDeviceFacts> systemSerialDevices(const LinkSettings& settings) {
    QList<SerialDeviceFacts> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDeviceFacts d;
        d.location = info.systemLocation();
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            d.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            d.productId = info.productIdentifier();
        d.portNumbers = portNumbersOpening(d.location, settings);
        devices << d;
    }
    return devices;
}

QString deviceNodeGroup(const QString& device) {
#if defined(Q_OS_UNIX)
    struct stat st {};
    if (::stat(QFile::encodeName(deviceLocation(device)).constData(), &st) != 0)
        return QString();
    group entry{};
    group* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::number(st.st_gid);
    return QString::fromLocal8Bit(found->gr_name);
#else
    Q_UNUSED(device);
    return QString();
#endif
}

QString currentUserName() {
#if defined(Q_OS_UNIX)
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
#endif
    return qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
}

bool mayReadWrite(const QString& device) {
#if defined(Q_OS_UNIX)
    return ::access(QFile::encodeName(deviceLocation(device)).constData(), R_OK | W_OK) == 0;
#else
    Q_UNUSED(device);
    return true;
#endif
}
