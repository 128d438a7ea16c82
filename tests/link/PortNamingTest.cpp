#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "link/PortNaming.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// A fake /sys/class/tty and /dev in a temporary folder.
class PortNamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kx-naming-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    sys_ = root_ / "sys" / "class" / "tty";
    dev_ = root_ / "dev";
    fs::create_directories(sys_);
    fs::create_directories(dev_ / "serial" / "by-id");
    fs::create_directories(root_ / "drivers");
  }
  void TearDown() override { fs::remove_all(root_); }

  // A tty with a device behind it, driven by driver (empty: no driver link).
  void AddTty(const std::string& name, const std::string& driver, const char* type = nullptr) {
    const fs::path devices = root_ / "devices" / name;
    fs::create_directories(devices);
    if (!driver.empty()) {
      fs::create_directories(root_ / "drivers" / driver);
      fs::create_directory_symlink(root_ / "drivers" / driver, devices / "driver");
    }
    fs::create_directories(sys_ / name);
    fs::create_directory_symlink(devices, sys_ / name / "device");
    if (type) std::ofstream(sys_ / name / "type") << type << "\n";
    std::ofstream(dev_ / name).put('\0');
  }
  // A tty without hardware (console, virtual terminal).
  void AddVirtual(const std::string& name) { fs::create_directories(sys_ / name); }

  PortNaming Naming() const { return PortNaming(sys_.string(), dev_.string()); }

  fs::path root_, sys_, dev_;
};

TEST_F(PortNamingTest, OrdersUsbThenAcmThenOthers) {
  AddTty("ttyS0", "serial8250", "0");  // registered but no UART: skipped
  AddTty("ttyS1", "serial8250", "4");
  AddTty("ttyUSB10", "cp210x");
  AddTty("ttyUSB1", "ftdi_sio");
  AddTty("ttyUSB0", "ftdi_sio");
  AddTty("ttyACM0", "cdc_acm");
  AddTty("ttyAMA0", "uart-pl011");
  AddVirtual("tty0");
  AddVirtual("console");
  AddVirtual("ptmx");

  const std::vector<SerialDeviceInfo> list = Naming().List();
  std::vector<std::string> names;
  for (const SerialDeviceInfo& d : list) names.push_back(d.name);
  EXPECT_EQ(names, (std::vector<std::string>{"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyACM0", "ttyAMA0", "ttyS1"}));
  EXPECT_EQ(list[0].path, (dev_ / "ttyUSB0").string());
  EXPECT_EQ(list[0].driver, "ftdi_sio");
  EXPECT_EQ(list[2].driver, "cp210x");
  EXPECT_EQ(list[3].driver, "cdc_acm");
  EXPECT_EQ(list[5].driver, "serial8250");
}

TEST_F(PortNamingTest, PortNumbersFollowTheList) {
  AddTty("ttyS1", "serial8250", "4");
  AddTty("ttyUSB0", "ftdi_sio");
  const PortNaming naming = Naming();
  EXPECT_EQ(naming.Resolve(1), (dev_ / "ttyUSB0").string());  // one adapter: port 1
  EXPECT_EQ(naming.Resolve(2), (dev_ / "ttyS1").string());
  EXPECT_EQ(naming.Resolve(3), "");
  EXPECT_EQ(naming.Resolve(0), "");
  EXPECT_EQ(naming.Resolve(-1), "");
}

TEST_F(PortNamingTest, FindsTheStableName) {
  AddTty("ttyUSB0", "ftdi_sio");
  AddTty("ttyUSB1", "ch341-uart");
  fs::create_symlink("../../ttyUSB1", dev_ / "serial" / "by-id" / "usb-1a86_USB_Serial-if00-port0");
  fs::create_symlink(dev_ / "ttyUSB0", dev_ / "serial" / "by-id" / "usb-FTDI_FT232R_A50285BI-if00-port0");
  const std::vector<SerialDeviceInfo> list = Naming().List();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].byId, (dev_ / "serial" / "by-id" / "usb-FTDI_FT232R_A50285BI-if00-port0").string());
  EXPECT_EQ(list[1].byId, (dev_ / "serial" / "by-id" / "usb-1a86_USB_Serial-if00-port0").string());
}

TEST_F(PortNamingTest, DriverIsTheHardwaresNotTheSerialCores) {
  // tty -> port device -> controller device (both serial-base) -> the UART's device.
  const fs::path uart = root_ / "devices" / "pnp0" / "00:01";
  const fs::path ctrl = uart / "00:01:0";
  const fs::path port = ctrl / "00:01:0.0";
  fs::create_directories(port);
  fs::create_directories(root_ / "bus" / "serial-base");
  fs::create_directories(root_ / "bus" / "pnp");
  for (const auto& [dir, driver, subsystem] :
       {std::tuple{uart, "serial", "pnp"}, std::tuple{ctrl, "ctrl", "serial-base"}, std::tuple{port, "port", "serial-base"}}) {
    fs::create_directories(root_ / "drivers" / driver);
    fs::create_directory_symlink(root_ / "drivers" / driver, dir / "driver");
    fs::create_directory_symlink(root_ / "bus" / subsystem, dir / "subsystem");
  }
  fs::create_directories(sys_ / "ttyS0");
  fs::create_directory_symlink(port, sys_ / "ttyS0" / "device");
  std::ofstream(sys_ / "ttyS0" / "type") << "4\n";
  const std::vector<SerialDeviceInfo> list = Naming().List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].driver, "serial");
}

TEST_F(PortNamingTest, TtyWithoutDriverLinkHasEmptyDriver) {
  AddTty("ttyUSB0", "");
  const std::vector<SerialDeviceInfo> list = Naming().List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].driver, "");
  EXPECT_EQ(list[0].byId, "");
}

TEST_F(PortNamingTest, ExplicitMappingWins) {
  AddTty("ttyUSB0", "ftdi_sio");
  PortNaming naming = Naming();
  EXPECT_TRUE(naming.MapFromText("12=/dev/pts/7"));
  EXPECT_TRUE(naming.MapFromText("1=/tmp/kx/ttyKX0"));
  // Port 12 means its path exactly as port 1 means its own.
  EXPECT_EQ(naming.Resolve(12), "/dev/pts/7");
  EXPECT_EQ(naming.Resolve(1), "/tmp/kx/ttyKX0");
  EXPECT_EQ(naming.Mappings().size(), 2u);
  naming.Map(1, "/dev/ttyS9");
  EXPECT_EQ(naming.Resolve(1), "/dev/ttyS9");
}

TEST_F(PortNamingTest, MappingTextMustBeNumberEqualsPath) {
  PortNaming naming = Naming();
  for (const char* bad : {"", "=", "1=", "=/dev/x", "0=/dev/x", "-1=/dev/x", "a=/dev/x", "1x=/dev/x", "/dev/x",
                          "12345678901=/dev/x"}) {
    EXPECT_FALSE(naming.MapFromText(bad)) << bad;
  }
  EXPECT_TRUE(naming.Mappings().empty());
}

TEST_F(PortNamingTest, MissingTreeListsNothing) {
  const PortNaming naming((root_ / "nowhere").string(), (root_ / "nodev").string());
  EXPECT_TRUE(naming.List().empty());
  EXPECT_EQ(naming.Resolve(1), "");
}

}  // namespace
}  // namespace kx
