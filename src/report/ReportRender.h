#pragma once
// The one renderer of the test report, for the panel and the command line alike:
// an A4 PDF whose page 1 tells the unit's state and page 2 (with a group) its
// curves. QtGui only; needs a QGuiApplication for the fonts.

#include <QByteArray>

#include "curves/CurveGroup.h"
#include "report/ReportData.h"
#include "texts/Translate.h"

namespace kx::report {

// The report's default title; drawn in the current language, a title of the
// user's own as given.
inline constexpr const char* kDefaultTitle = KX_NOOP("Report", "KX4200 测试报告");

struct AnalysisPage;

// The PDF in memory (files are written whole by the file module or not at all);
// group, when given and holding points, adds page 2, and analysis then adds the
// page "放电分析". Empty when it cannot be drawn.
QByteArray RenderReportPdf(const ReportData& data, CCurveGroup* group = nullptr,
                           const AnalysisPage* analysis = nullptr);

// The group has something to draw on page 2.
bool HasCurves(const CCurveGroup* group);

}  // namespace kx::report
