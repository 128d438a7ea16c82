#pragma once
// The curve viewer: the chart, a tree of the 40 cells choosing which curves are
// drawn, "全选", the time under the mouse and printing.

#include <QDialog>
#include <QString>

#include "chart/CurveChart.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
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
  // Draws the chart into a printer page that Print has already set up.
  static bool PrintChart(CCurveGroup& group, QPrinter& printer, bool autoScale = false);
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

  QLineEdit* m_editTime = nullptr;
  QCheckBox* m_checkSelectAll = nullptr;
  QCheckBox* m_checkAutoScale = nullptr;
  QLabel* m_staticPicked = nullptr;
  QLabel* m_staticStatistics = nullptr;
  QPushButton* m_btnPrint = nullptr;
  QPushButton* m_btnOk = nullptr;
};
