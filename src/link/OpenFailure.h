#pragma once
// Why a serial device did not open, in words a user can act on: what the command
// line prints, and a short Chinese cause the panel can show beside its own message.

#include <string>

#include "link/Port.h"

namespace kx {

// "cannot open PATH: no permission; the device belongs to group 'dialout': join it
// with 'sudo usermod -aG dialout $USER' and log in again", and likewise for a
// missing device, one in use and one that hung up; other causes as Describe says.
std::string ExplainOpenFailure(const std::string& path, LinkError error);

// "设备不存在", "没有权限 (需要加入 dialout 组)", "端口被其他程序占用", "设备已断开", ...
std::string OpenFailureCause(const std::string& path, LinkError error);

}  // namespace kx
