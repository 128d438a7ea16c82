#pragma once
// The curve viewer: the chart, a tree of the 40 cells choosing which curves are
// drawn, "全选", the time under the mouse and printing.

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

#include "chart/CurveChart.h"
#include "chart/DischargePane.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSettings;
class QTreeWidget;
class QTreeWidgetItem;

class CCurveViewDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CCurveViewDlg(QWidget* parent = nullptr);
  ~CCurveViewDlg() override;

  CCurveGroup& Group() { return m_chart.m_group; }

  // Handlers, public so the panel and tests can drive them as the toolkit would.
  void OnInitDialog();
  void OnMouseMove(QPoint clientPoint);
  void OnPrint();
  void OnTreeDblClk();
  void OnSelectAll();
  // "自动缩放": the voltage axis fitted to the visible cells, on screen and in print.
  void OnAutoScale();
  // "放电分析": opens or closes the pane beside the chart (the window widens by
  // it); open, the end voltage and the crossings are drawn over the curves.
  void OnAnalysis();
  bool AnalysisOpen() const;
  // The parameters last accepted in the pane (remembered with the settings) and its baseline file.
  const kx::analysis::Parameters& AnalysisParameters() const { return m_analysisSettings.parameters; }
  QString BaselinePath() const { return m_analysisSettings.baselinePath; }
  // group analysed with those parameters against the baseline; note, when given,
  // receives why the baseline was left out (empty when it was not).
  kx::analysis::Result AnalyseGroup(const CCurveGroup& group, QString* note = nullptr) const;
  // The store the parameters are remembered in (not owned; null: none); with
  // readStored the pane takes them from it now.
  void UseSettings(QSettings* store, bool readStored);
  // Draws the chart into a printer page that Print has already set up; the
  // overlay, when given, with its headline above the plot.
  static bool PrintChart(CCurveGroup& group, QPrinter& printer, bool autoScale = false,
                         const kx::AnalysisOverlay* overlay = nullptr);
  // The curve under the mouse ("电池17 3.412V 10:20:30", empty when none is near)
  // and the visible cells' extremes over the group.
  QString PickedText() const;
  QString StatisticsText() const;

  // Fields to controls (false) or controls to fields (true).
  void UpdateData(bool saveAndValidate);

  QTreeWidget* m_tree = nullptr;
  CCurveChart m_chart;
  QString m_strTime;
  int m_bSelectAll = 1;
  QString m_strTitle;
  QTreeWidgetItem* m_hRoot = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PushVisibility(const int (&flags)[kx::kCellCount]);
  void UpdateStatistics();
  void Reanalyse();
  void LoadBaseline();

  QLineEdit* m_editTime = nullptr;
  QCheckBox* m_checkSelectAll = nullptr;
  QCheckBox* m_checkAutoScale = nullptr;
  QLabel* m_staticPicked = nullptr;
  QLabel* m_staticStatistics = nullptr;
  QPushButton* m_btnPrint = nullptr;
  QPushButton* m_btnOk = nullptr;
  QPushButton* m_btnAnalysis = nullptr;
  CDischargePane* m_paneAnalysis = nullptr;
  QSettings* m_settings = nullptr;
  kx::AnalysisSettings m_analysisSettings;
  std::unique_ptr<CCurveGroup> m_baseline;  // from m_analysisSettings.baselinePath
  QString m_strBaselineProblem;             // why it could not be read
  std::optional<kx::analysis::Result> m_analysis;  // while the pane is open
};
