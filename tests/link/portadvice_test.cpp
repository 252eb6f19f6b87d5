// What the console tells a person about serial devices: remedies for a port that will not open,
// the listing of --list-ports, and the port numbers a mapping gives a device.
#include "link/portadvice.h"
#include "link/serialdevices.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

SerialDeviceFacts usbAdapter() {
    SerialDeviceFacts d;
    d.location = QStringLiteral("/dev/ttyUSB0");
    d.description = QStringLiteral("FT232R USB UART");
    d.manufacturer = QStringLiteral("FTDI");
    d.serialNumber = QStringLiteral("A6008isP");
    d.vendorId = 0x0403;
    d.productId = 0x6001;
    d.portNumbers = {1, 7};
    return d;
}

SerialDeviceFacts onBoardPort() {
    SerialDeviceFacts d;
    d.location = QStringLiteral("/dev/ttyS0");
    return d;
}

} // namespace

TEST(PortAdvice, EachCommonCauseOfAFailedOpeningHasItsRemedy) {
    EXPECT_EQ(openRemedyText(OpenFailure::Permission, "/dev/ttyUSB0", "dialout", "ann", {}),
              "/dev/ttyUSB0 属于用户组 dialout，当前用户无权读写。把用户加入该组，注销并重新登录后再试：\n"
              "sudo usermod -aG dialout ann");
    EXPECT_EQ(openRemedyText(OpenFailure::Permission, "/dev/ttyUSB0", "", "ann", {}),
              "当前用户无权读写 /dev/ttyUSB0：请管理员授予读写权限。");
    EXPECT_EQ(openRemedyText(OpenFailure::NoDevice, "/dev/ttyUSB2", "", "ann", {usbAdapter(), onBoardPort()}),
              "系统中现有的串口设备：\n"
              "/dev/ttyUSB0（串口号 1, 7）\n"
              "/dev/ttyS0（没有串口号打开它，可用 --port N=/dev/ttyS0 指定）");
    EXPECT_EQ(openRemedyText(OpenFailure::NoDevice, "/dev/ttyUSB2", "", "ann", {}),
              "系统中没有任何串口设备：请检查适配器是否插好。");
    EXPECT_EQ(openRemedyText(OpenFailure::Busy, "/dev/ttyUSB0", "dialout", "ann", {}),
              "/dev/ttyUSB0 正被另一个程序占用：请先关闭那个程序，或让它释放该串口。");
    EXPECT_EQ(openRemedyText(OpenFailure::Other, "/dev/ttyUSB0", "dialout", "ann", {usbAdapter()}), "");
}

TEST(PortAdvice, ADeviceHeldElsewhereIsSaidSoWithTheHolderWhereItIsKnown) {
    EXPECT_EQ(busyReason("minicom", 4242), "设备正被另一个程序占用：minicom（进程号 4242）");
    EXPECT_EQ(busyReason("", 4242), "设备正被另一个程序占用（进程号 4242）");
    EXPECT_EQ(busyReason("", 0), "设备正被另一个程序占用");
}

TEST(PortAdvice, TheListingShowsWhatIsKnownAndThePortNumbersThatOpenEachDevice) {
    EXPECT_EQ(portListingText({usbAdapter(), onBoardPort()}),
              "2 serial ports found:\n"
              "/dev/ttyUSB0  port 1, 7\n"
              "    description:   FT232R USB UART\n"
              "    manufacturer:  FTDI\n"
              "    serial number: A6008isP\n"
              "    USB id:        0403:6001\n"
              "/dev/ttyS0  no port number opens it (give one with --port N=/dev/ttyS0)\n");
    SerialDeviceFacts one = onBoardPort();
    one.portNumbers = {3};
    EXPECT_EQ(portListingText({one}), "1 serial port found:\n/dev/ttyS0  port 3\n");
    EXPECT_EQ(portListingText({}), "No serial ports found.\n");
}

TEST(PortAdvice, PortNumbersFollowTheMappingAndSymbolicLinks) {
    LinkSettings settings;
    EXPECT_EQ(portNumbersOpening("/dev/ttyUSB0", settings), QList<int>({1}));
    EXPECT_EQ(portNumbersOpening("ttyUSB15", settings), QList<int>({16}));
    EXPECT_EQ(portNumbersOpening("/dev/ttyUSB16", settings), QList<int>());
    settings.portDevices.insert(1, "/dev/ttyS0");
    settings.portDevices.insert(9, "ttyS0");
    EXPECT_EQ(portNumbersOpening("/dev/ttyUSB0", settings), QList<int>()) << "port 1 opens another now";
    EXPECT_EQ(portNumbersOpening("/dev/ttyS0", settings), QList<int>({1, 9}));

    QTemporaryDir dir;
    const QString target = dir.filePath("ttyReal");
    const QString byId = dir.filePath("usb-FTDI_FT232R-if00");
    ASSERT_TRUE(QFile(target).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(target, byId));
    settings.portDevices.insert(4, byId);
    EXPECT_EQ(portNumbersOpening(target, settings), QList<int>({4}));
    EXPECT_TRUE(deviceNodePresent(byId));
    QFile::remove(target);
    EXPECT_FALSE(deviceNodePresent(byId)) << "a link whose device is gone is no device";
}
