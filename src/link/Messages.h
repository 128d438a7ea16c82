#pragma once
// Message texts shared by several device operations (UTF-8, exactly as shown).

namespace kx::msg {
inline constexpr const char* kPortNotFound = "没有发现此串口或此串口被占用";
inline constexpr const char* kOpenPortFailed = "打开串口失败!";
inline constexpr const char* kOpenCommPortFailed = "打开通信端口失败";
inline constexpr const char* kCountPortFailed = " 通讯失败!";  // leading space is part of the text
inline constexpr const char* kCommFailedBang = "通讯失败!";
inline constexpr const char* kCommFailed = "通讯失败";
inline constexpr const char* kBadChecksum = "校验错!";
inline constexpr const char* kStopAcquisitionFirst = "请先停止当前采集!";
}  // namespace kx::msg
