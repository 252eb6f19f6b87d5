// Serial devices and device nodes as the platform reports them.
#include "link/serialdevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#if defined(Q_OS_UNIX)
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

QString deviceNodePath(const QString& device) {
    const QString location = deviceLocation(device);
    const QString node = QFileInfo(location).canonicalFilePath();
    return node.isEmpty() ? location : node;
}

bool lockDeviceNode(int descriptor) {
#if defined(Q_OS_UNIX)
    // flock() locks the node's inode, so every name that leads to the node meets the same lock.
    return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
#else
    Q_UNUSED(descriptor);
    return true;
#endif
}

namespace {

#if defined(Q_OS_LINUX)
QString programOf(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:1a:5 0 EOF", the device in hex, the inode in
// decimal; waiters are marked "->" and hold nothing.
qint64 flockHolder(const struct stat& st) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    const QString id = QStringLiteral("%1:%2:%3")
                           .arg(major(st.st_dev), 2, 16, QLatin1Char('0'))
                           .arg(minor(st.st_dev), 2, 16, QLatin1Char('0'))
                           .arg(quint64(st.st_ino));
    for (QByteArray line = locks.readLine(); !line.isEmpty(); line = locks.readLine()) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 6 && f[1] == "FLOCK" && QString::fromLatin1(f[5]) == id)
            return f[4].toLongLong();
    }
    return 0;
}

qint64 lockFileHolder(const QString& device) {
    QFile lock(lockFilePathFor(device));
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    const qint64 pid = lock.readLine().trimmed().toLongLong();
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)) ? pid : 0;
}
#endif

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

QString lockFilePathFor(const QString& device) {
    QString name = deviceLocation(device);
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.prepend(QLatin1String("/LCK.."));
    for (const char* dir : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                            "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QFileInfo info{QLatin1String(dir)};
        const QString path = QLatin1String(dir) + name;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable()))
            return path;
    }
    return QString();
}

DeviceHolder deviceHolder(const QString& device) {
    DeviceHolder holder;
#if defined(Q_OS_LINUX)
    const QString node = deviceNodePath(device);
    struct stat st {};
    if (::stat(QFile::encodeName(node).constData(), &st) != 0)
        return holder;
    holder.pid = flockHolder(st);
    if (holder.pid == 0)
        holder.pid = lockFileHolder(node);
    if (holder.pid == 0)
        holder.pid = lockFileHolder(device);
    if (holder.pid > 0)
        holder.program = programOf(holder.pid);
#else
    Q_UNUSED(device);
#endif
    return holder;
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
