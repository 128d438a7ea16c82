
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <string>

#include "texts/ChineseTexts.h"
#include "texts/EnglishTexts.h"

namespace kx {
namespace {

TEST(OpenFailure, ExplainsEachCauseInEnglishAndChinese) {
  const std::string missing = "/nonexistent/ttyUSB9";
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::NotFound),
            "cannot open /nonexistent/ttyUSB9: no such serial device");
  EXPECT_EQ(OpenFailureCause(missing, LinkError::NotFound), "设备不存在");
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::InUse),
            "cannot open /nonexistent/ttyUSB9: the serial device is in use by another program (close it; "
            "'fuser /nonexistent/ttyUSB9' names it)");
  EXPECT_EQ(OpenFailureCause(missing, LinkError::InUse), "端口被其他程序占用");
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::HungUp),
            "cannot open /nonexistent/ttyUSB9: the serial device hung up (unplugged?)");
  EXPECT_EQ(OpenFailureCause(missing, LinkError::HungUp), "设备已断开");
  EXPECT_EQ(ExplainOpenFailure(missing, LinkError::BadSettings),
            "cannot open /nonexistent/ttyUSB9: the serial device refused the line settings");
}

TEST(OpenFailure, NoPermissionNamesAGroupOnlyWhenTheGroupHasAccess) {
  // A device nobody can look at: no group to name.
  EXPECT_EQ(ExplainOpenFailure("/nonexistent/ttyS0", LinkError::NoPermission),
            "cannot open /nonexistent/ttyS0: no permission to open the serial device");
  EXPECT_EQ(OpenFailureCause("/nonexistent/ttyS0", LinkError::NoPermission), "没有权限");
  // A file of our own stands in for the device: its mode decides whom to name.
  char path[] = "/tmp/kx-open-failure-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  struct stat st {};
  ASSERT_EQ(::stat(path, &st), 0);
  const group* g = ::getgrgid(st.st_gid);
  const std::string groupName = g ? g->gr_name : std::to_string(st.st_gid);
  const passwd* u = ::getpwuid(st.st_uid);
  const std::string owner = u ? u->pw_name : std::to_string(st.st_uid);
  const std::string p = path;

  ::chmod(path, 0660);  // the group may read and write: joining it helps
  EXPECT_EQ(ExplainOpenFailure(p, LinkError::NoPermission),
            "cannot open " + p + ": no permission to open the serial device; the device belongs to group '" + groupName +
                "': join it with 'sudo usermod -aG " + groupName + " $USER' and log in again");
  EXPECT_EQ(OpenFailureCause(p, LinkError::NoPermission), "没有权限 (需要加入 " + groupName + " 组)");

  for (mode_t mode : {0600, 0640}) {  // joining the group would not help: say who may
    ::chmod(path, mode);
    EXPECT_EQ(ExplainOpenFailure(p, LinkError::NoPermission),
              "cannot open " + p + ": no permission to open the serial device; no group may use the device, only its owner '" + owner +
                  "' (its mode gives the group no read and write access)");
    EXPECT_EQ(OpenFailureCause(p, LinkError::NoPermission), "没有权限 (只有 " + owner + " 可以使用)");
  }
  ::unlink(path);
}

}  // namespace
}  // namespace kx
