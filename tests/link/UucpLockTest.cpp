#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "link/SerialPort.h"
#include "link/UucpLock.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class UucpLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Start());
    char real[PATH_MAX];
    ASSERT_NE(::realpath(host.Path().c_str(), real), nullptr);
    const std::string device = real;
    lockFile = UucpLock::Folder() + "/LCK.." + device.substr(device.rfind('/') + 1);
  }
  void Lock(pid_t owner) { std::ofstream(lockFile) << "     " << owner << "\n"; }

  VirtualDevice device;
  SimHost host{device};
  std::string lockFile;
};

TEST_F(UucpLockTest, APortLockedByALiveProgramIsInUse) {
  ASSERT_NE(std::getenv("KX4200_LOCK_DIR"), nullptr) << "tests must not use the machine's lock folder";
  Lock(::getppid());  // a program that took the lock and nothing else
  SerialPort port;
  EXPECT_EQ(port.Open(host.Path(), 9600), LinkError::InUse);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(Read(lockFile), "     " + std::to_string(::getppid()) + "\n");
  ::unlink(lockFile.c_str());
}

TEST_F(UucpLockTest, AStaleLockIsTakenOverAndReleasedOnClose) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ::waitpid(gone, nullptr, 0);
  Lock(gone);
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600), LinkError::None);
  EXPECT_EQ(std::stol(Read(lockFile)), ::getpid());
  // A second opener in this process is refused as well: the lock is held.
  SerialPort second;
  EXPECT_EQ(second.Open(host.Path(), 9600), LinkError::InUse);
  port.Close();
  EXPECT_FALSE(std::ifstream(lockFile).good());
}

}  // namespace
}  // namespace kx
