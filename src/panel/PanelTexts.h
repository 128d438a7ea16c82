#pragma once
// Texts only the panel's own dialogs show: captions, file filters, questions and
// the refusals of its buttons (UTF-8). These are source texts: look them up with
// QTr("CTesterDlg", ...) where they are shown. The device operations' texts are in
// texts/Messages.h, in the same namespace, under "Messages".

#include "texts/Translate.h"

namespace kx::msg {
// A button that would disturb continuous acquisition refuses.
inline constexpr const char* kStopAcquisitionFirst = KX_NOOP("CTesterDlg", "请先停止当前采集!");
// A list entry that a request needs has not been chosen; nothing is sent.
inline constexpr const char* kChooseBaud = KX_NOOP("CTesterDlg", "请先选择新的波特率!");
inline constexpr const char* kChooseGear = KX_NOOP("CTesterDlg", "请先选择电压档位!");
inline constexpr const char* kChooseCalibrationPoint = KX_NOOP("CTesterDlg", "请先选择校准点!");
// The point read-out of a downloaded group
inline constexpr const char* kBadPointCount = KX_NOOP("CTesterDlg", "错误点数");
inline constexpr const char* kBadPointNumber = KX_NOOP("CTesterDlg", "错误值");
// After a download whose packets failed their checksum (taken all the same).
inline constexpr const char* kBadPacketsFormat = KX_NOOP("CTesterDlg", "警告: %d 个数据包校验错误，曲线数据可能有误!");
// A strftime pattern.
inline constexpr const char* kPointTimeFormat = KX_NOOP("CTesterDlg", "数据点记录时间：%H:%M:%S");
// Curve files and clearing the unit's groups
inline constexpr const char* kClearQuestion = KX_NOOP("CTesterDlg", "是否真的清除所有曲线数据?");
inline constexpr const char* kClearCaption = KX_NOOP("CTesterDlg", "提示!");
inline constexpr const char* kSaveTitle = KX_NOOP("CTesterDlg", "保存");
// Before a chosen file is replaced; %1: its name.
inline constexpr const char* kReplaceQuestion = KX_NOOP("CTesterDlg", "%1 已存在。\n要替换它吗?");
inline constexpr const char* kCurveFileFilter = KX_NOOP("CTesterDlg", "Data Files (*.bin)");
// The test report (context menu)
inline constexpr const char* kReportItem = KX_NOOP("CTesterDlg", "生成报告…");
inline constexpr const char* kReportFilter = KX_NOOP("CTesterDlg", "PDF 文件 (*.pdf)");
// Followed by the file:
inline constexpr const char* kReportNoAnswer = KX_NOOP("CTesterDlg", "设备无应答, 报告中已注明:");
inline constexpr const char* kReportNoPort = KX_NOOP("CTesterDlg", "打开通信端口失败, 报告中已注明:");
inline constexpr const char* kReportWriteFailed = KX_NOOP("CTesterDlg", "报告保存失败!");  // followed by the cause
// The log of a continuous run
inline constexpr const char* kLogTitle = KX_NOOP("CTesterDlg", "记录");
inline constexpr const char* kLogFileFilter = KX_NOOP("CTesterDlg", "CSV Files (*.csv)");
// Followed by the file and the cause:
inline constexpr const char* kLogStopped = KX_NOOP("CTesterDlg", "记录已停止，采集继续:");
// The language (context menu). Both in both languages and not looked up: whoever
// looks for the item or reads the answer may not read the language in use.
inline constexpr const char* kLanguageItem = "语言 / Language";
inline constexpr const char* kLanguageNextStart = "语言将在下次启动时生效。\nThe language changes at the next start.";
}  // namespace kx::msg
