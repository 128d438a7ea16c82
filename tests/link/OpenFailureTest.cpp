#include "link/OpenFailure.h"

#include <grp.h>
#include <gtest/gtest.h>

#include <string>

namespace kx {
namespace {

TEST(OpenFailure, ExplainsEachCauseInEnglishAndChinese) {
  const std::string missing = "/nonexistent/ttyUSB9";
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::NotFound),
            "cannot open /nonexistent/ttyUSB9: no such device (list the serial ports with 'kx4200-cli ports')");
  EXPECT_EQ(OpenFailureCause(missing, LinkError::NotFound), "设备不存在");
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::InUse),
            "cannot open /nonexistent/ttyUSB9: in use by another program (close it; 'fuser /nonexistent/ttyUSB9' "
            "names it)");
  EXPECT_EQ(OpenFailureCause(missing, LinkError::InUse), "端口被其他程序占用");
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::HungUp),
            "cannot open /nonexistent/ttyUSB9: the device hung up (unplugged?)");
  EXPECT_EQ(OpenFailureCause(missing, LinkError::HungUp), "设备已断开");
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::BadSettings),
            "cannot open /nonexistent/ttyUSB9: the serial device refused the line settings");
}

TEST(OpenFailure, NoPermissionNamesTheGroupToJoinWhenTheDeviceCanBeSeen) {
  // A device nobody can look at: no group to name.
  EXPECT_EQ(ExplainOpenFailure("/nonexistent/ttyS0", LinkError::NoPermission),
            "cannot open /nonexistent/ttyS0: no permission");
  EXPECT_EQ(OpenFailureCause("/nonexistent/ttyS0", LinkError::NoPermission), "没有权限");
  // The root directory stands in for a device owned by group 0.
  const group* g = ::getgrgid(0);
  const std::string name = g ? g->gr_name : "0";
  EXPECT_EQ(ExplainOpenFailure("/", LinkError::NoPermission),
            "cannot open /: no permission; the device belongs to group '" + name +
                "': join it with 'sudo usermod -aG " + name + " $USER' and log in again");
  EXPECT_EQ(OpenFailureCause("/", LinkError::NoPermission), "没有权限 (需要加入 " + name + " 组)");
}

}  // namespace
}  // namespace kx
