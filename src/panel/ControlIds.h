#pragma once
// The template ids of the panel's windows and controls. Each control's object name
// is its id as a decimal string, so tests and tools find a control by the same number.

namespace kx::panel::ids {

// Window templates.
inline constexpr int kTemplateAbout = 100;
inline constexpr int kTemplatePanel = 102;
inline constexpr int kTemplatePassword = 146;
inline constexpr int kButtonOk = 1;  // the default "确认" / "确定" of a small dialog

// The password dialog's masked edit.
inline constexpr int kEditPassword = 1095;

// Port, baud rate, address and the device clock.
inline constexpr int kFramePort = 1064;
inline constexpr int kEditPort = 1000;
inline constexpr int kComboBaud = 1001;
inline constexpr int kEditAddress = 1002;
inline constexpr int kBtnReadTime = 1092;
inline constexpr int kStaticDeviceTime = 1094;
inline constexpr int kBtnSetTime = 1006;

// New address and baud rate.
inline constexpr int kFrameLinkSettings = 1067;
inline constexpr int kEditNewAddress = 1089;
inline constexpr int kBtnSetAddress = 1090;
inline constexpr int kComboNewBaud = 1091;
inline constexpr int kBtnSetBaud = 1106;

// Current and voltage full scales (the voltage one is hidden).
inline constexpr int kFrameRange = 1070;
inline constexpr int kEditCurrentRange = 1069;
inline constexpr int kEditVoltRange = 1073;

// Range gear read-out, firmware version, alarm word read-out.
inline constexpr int kFrameGear = 1066;
inline constexpr int kEditRangeGear = 1098;
inline constexpr int kBtnReadGear = 1099;
inline constexpr int kFrameVersion = 1132;
inline constexpr int kStaticVersion = 1093;
inline constexpr int kBtnReadVersion = 1107;
inline constexpr int kStaticStatus = 1133;
inline constexpr int kFrameAlarmWord = 1097;
inline constexpr int kEditAlarmWord = 1100;
inline constexpr int kBtnReadAlarm = 1105;
inline constexpr int kBtnFactoryMode = 1074;

// Live acquisition.
inline constexpr int kFrameAcquisition = 1068;
inline constexpr int kEditPeriod = 1023;
inline constexpr int kBtnAcquire = 1024;
inline constexpr int kBtnContinuous = 1025;
inline constexpr int kEditSuccessCount = 1071;
inline constexpr int kEditFailCount = 1072;
inline constexpr int kListValues = 1011;
// What the panel adds to a reading: the cells' extremes line under the tables and
// the button that opens the live trend.
inline constexpr int kStaticCellExtremes = 1134;
inline constexpr int kBtnLiveTrend = 1135;
// "记录": a continuous run started with it ticked is logged to a CSV file, whose
// name shows beside the box while the run lasts.
inline constexpr int kCheckLog = 1136;
inline constexpr int kStaticLogFile = 1137;

// Curve groups.
inline constexpr int kFrameCurves = 1065;
inline constexpr int kBtnQueryCount = 1008;
inline constexpr int kBtnClearCurves = 1019;
inline constexpr int kEditGroupNo = 1010;
inline constexpr int kBtnReadGroup = 1009;
inline constexpr int kStaticGroupDate = 1034;
inline constexpr int kStaticPointCount = 1035;
inline constexpr int kEditPointNo = 1022;
inline constexpr int kBtnViewPoint = 1031;
inline constexpr int kBtnOpenFile = 1038;
inline constexpr int kBtnSaveFile = 1039;
inline constexpr int kBtnShowCurves = 1047;
inline constexpr int kStaticGroupCount = 1026;
inline constexpr int kStaticPointTime = 1037;
inline constexpr int kListPointValues = 1015;

// Alarm settings: a frame, a switch, the limits and "设置" per group.
inline constexpr int kFrameAlarmVolt = 1111;
inline constexpr int kCheckAlarmVolt = 1059;
inline constexpr int kEditOverVolt = 1118;
inline constexpr int kEditUnderVolt = 1120;
inline constexpr int kBtnSetVoltAlarm = 1119;
inline constexpr int kFrameAlarmCurrent = 1112;
inline constexpr int kCheckAlarmCurrent = 1114;
inline constexpr int kEditOverCurrent = 1121;
inline constexpr int kBtnSetCurrentAlarm = 1122;
inline constexpr int kFrameAlarmTemp1 = 1110;
inline constexpr int kCheckAlarmTemp1 = 1115;
inline constexpr int kEditTemp1High = 1123;
inline constexpr int kEditTemp1Low = 1125;
inline constexpr int kBtnSetTemp1Alarm = 1124;
inline constexpr int kFrameAlarmTemp2 = 1109;
inline constexpr int kCheckAlarmTemp2 = 1116;
inline constexpr int kEditTemp2High = 1126;
inline constexpr int kEditTemp2Low = 1128;
inline constexpr int kBtnSetTemp2Alarm = 1127;
inline constexpr int kFrameAlarmTemp3 = 1108;
inline constexpr int kCheckAlarmTemp3 = 1117;
inline constexpr int kEditTemp3High = 1129;
inline constexpr int kEditTemp3Low = 1131;
inline constexpr int kBtnSetTemp3Alarm = 1130;

// Factory strip: range gear and the eight calibrations (a point list and "校准" each).
inline constexpr int kComboGear = 1075;
inline constexpr int kBtnSetGear = 1076;
inline constexpr int kComboCalCell2V = 1077;
inline constexpr int kBtnCalCell2V = 1078;
inline constexpr int kComboCalCell6V = 1079;
inline constexpr int kBtnCalCell6V = 1080;
inline constexpr int kComboCalCell12V = 1081;
inline constexpr int kBtnCalCell12V = 1082;
inline constexpr int kComboCalTotal2V = 1083;
inline constexpr int kBtnCalTotal2V = 1084;
inline constexpr int kComboCalTotal6V = 1085;
inline constexpr int kBtnCalTotal6V = 1086;
inline constexpr int kComboCalTotal12V = 1087;
inline constexpr int kBtnCalTotal12V = 1088;
inline constexpr int kComboCalTemp = 1101;
inline constexpr int kBtnCalTemp = 1102;
inline constexpr int kComboCalCurrent = 1103;
inline constexpr int kBtnCalCurrent = 1104;

}  // namespace kx::panel::ids
