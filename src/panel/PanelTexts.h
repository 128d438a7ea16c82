#pragma once
// Texts only the panel's own dialogs show: captions, file filters, questions and
// the refusals of its buttons (UTF-8, exactly as shown). The device operations'
// texts are in texts/Messages.h, in the same namespace.

namespace kx::msg {
// A button that would disturb continuous acquisition refuses.
inline constexpr const char* kStopAcquisitionFirst = "请先停止当前采集!";
// A list entry that a request needs has not been chosen; nothing is sent.
inline constexpr const char* kChooseBaud = "请先选择新的波特率!";
inline constexpr const char* kChooseGear = "请先选择电压档位!";
inline constexpr const char* kChooseCalibrationPoint = "请先选择校准点!";
// The point read-out of a downloaded group
inline constexpr const char* kBadPointCount = "错误点数";
inline constexpr const char* kBadPointNumber = "错误值";
// After a download whose packets failed their checksum (taken all the same).
inline constexpr const char* kBadPacketsFormat = "警告: %d 个数据包校验错误，曲线数据可能有误!";
inline constexpr const char* kPointTimeFormat = "数据点记录时间：%H:%M:%S";  // strftime pattern
// Curve files and clearing the unit's groups
inline constexpr const char* kClearQuestion = "是否真的清除所有曲线数据?";
inline constexpr const char* kClearCaption = "提示!";
inline constexpr const char* kSaveTitle = "保存";
inline constexpr const char* kCurveFileFilter = "Data Files (*.bin)";
// The test report (context menu)
inline constexpr const char* kReportItem = "生成报告…";
inline constexpr const char* kReportFilter = "PDF 文件 (*.pdf)";
inline constexpr const char* kReportNoAnswer = "设备无应答, 报告中已注明:";  // followed by the file
inline constexpr const char* kReportNoPort = "打开通信端口失败, 报告中已注明:";  // followed by the file
inline constexpr const char* kReportWriteFailed = "报告保存失败!";  // followed by the cause
// The log of a continuous run
inline constexpr const char* kLogTitle = "记录";
inline constexpr const char* kLogFileFilter = "CSV Files (*.csv)";
inline constexpr const char* kLogStopped = "记录已停止，采集继续:";  // then the file and the cause
}  // namespace kx::msg
