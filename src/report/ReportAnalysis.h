#pragma once
// The report's page "放电分析": the parameters, the verdict and its findings, and
// the per-cell table in rank order (with the baseline's rank and the drift when
// compared). QtGui only.

#include <string>

#include "analysis/Discharge.h"

class QPainter;

namespace kx::report {

struct AnalysisPage {
  analysis::Parameters parameters;
  analysis::Result result;
  std::string baselineName;  // the older test's file as named; empty: none
  std::string note;          // said under the findings, e.g. why the baseline was left out
};

// Draws the page from its top onto painter, width by height in the painter's units
// (the report's 600 dpi dots), leaving the foot of the page for its number.
void DrawAnalysisPage(QPainter& painter, double width, double height, const AnalysisPage& page);

}  // namespace kx::report
