#pragma once
// The curve viewer's "放电分析" pane: the analysis's parameters, the verdict and
// the per-cell table in rank order (weak rows marked). It shows what the viewer
// analysed and says when a parameter was changed or a row was chosen.

#include <QString>
#include <QWidget>
#include <optional>

#include "analysis/Discharge.h"

class QLabel;
class QLineEdit;
class QSettings;
class QTableWidget;

namespace kx {

// The parameters and the baseline file as remembered (keys under "analysis/").
// Each value is checked on its own: one missing or out of range is its default;
// a baseline file that is gone is none.
struct AnalysisSettings {
  analysis::Parameters parameters;
  QString baselinePath;
  bool operator==(const AnalysisSettings&) const = default;
};
AnalysisSettings ReadAnalysisSettings(QSettings& store);
void WriteAnalysisSettings(QSettings& store, const AnalysisSettings& settings);

}  // namespace kx

class CDischargePane : public QWidget {
  Q_OBJECT
 public:
  explicit CDischargePane(QWidget* parent = nullptr);

  // The edits' parameters; none, with the reason in the verdict line, when one
  // is not a number in its range.
  std::optional<kx::analysis::Parameters> ReadParameters();
  void SetSettings(const kx::AnalysisSettings& settings);
  QString BaselinePath() const;

  // The verdict, the findings (and a note, such as an unreadable baseline) and the table.
  void ShowResult(const kx::analysis::Result& result, const kx::analysis::Parameters& parameters,
                  const QString& note = {});
  // The verdict line when there is nothing to show, e.g. a bad parameter.
  void ShowProblem(const QString& text);
  QString VerdictText() const;

 signals:
  void ParametersChanged();
  void CellChosen(int cell);  // 0-based

 private:
  void ChooseBaseline();
  void SetBaseline(const QString& path);

  QLineEdit* m_editEndVoltage = nullptr;
  QLineEdit* m_editRated = nullptr;
  QLineEdit* m_editK = nullptr;
  QLineEdit* m_editPass = nullptr;
  QLineEdit* m_editWeak = nullptr;
  QLineEdit* m_editDrift = nullptr;
  QLineEdit* m_editBaseline = nullptr;  // the file name; the path is m_strBaselinePath
  QString m_strBaselinePath;
  QLabel* m_staticVerdict = nullptr;
  QLabel* m_staticFindings = nullptr;
  QTableWidget* m_table = nullptr;
};
