#pragma once
// "通讯监视": every frame the panel sends and receives, with its time, direction,
// bytes, command and verdict, as the command line's --trace shows them.
//
// While the window is open it is the link's frame tracer: the worker thread only
// copies each frame into a bounded collector; a timer on the GUI thread moves them
// into the table a few times a second. Closed, it is no tracer at all, so the
// exchanges pay nothing for it. The table keeps the last 10,000 frames.
//
// Pause freezes the table while frames keep being collected (up to the same
// bound); Continue shows what came meanwhile. Clear drops everything seen so far.

#include <QAbstractTableModel>
#include <QDialog>
#include <QTimer>
#include <deque>
#include <vector>

#include "link/FrameTrace.h"

class QPushButton;
class QTableView;

// The frames as table rows (time, direction, bytes, command, verdict), a ring of
// the newest ones.
class CFrameTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kTime, kDirection, kBytes, kCommand, kVerdict, kColumns };
  explicit CFrameTableModel(size_t capacity = kx::FrameCollector::kDefaultCapacity, QObject* parent = nullptr);

  // Adds frames at the end; the oldest go beyond the capacity.
  void Append(std::vector<kx::FrameRecord> frames);
  void Clear();
  // The row as one trace line.
  QString Line(int row) const;
  size_t Capacity() const { return m_capacity; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  size_t m_capacity;
  std::deque<kx::FrameRecord> m_frames;
};

class CProtocolViewDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CProtocolViewDlg(QWidget* parent = nullptr);
  ~CProtocolViewDlg() override;

  const CFrameTableModel& Frames() const { return m_model; }
  QTableView* View() const { return m_view; }
  bool Paused() const { return m_paused; }
  // True while the window collects frames (it is the link's tracer).
  bool Collecting() const { return m_collector.Installed(); }

  // Moves the collected frames into the table unless paused (the timer calls it).
  void Drain();
  void SetPaused(bool paused);
  void Clear();
  // The selected rows' lines, one per line, to the clipboard.
  void CopySelection();
  // Every line into a UTF-8 text file chosen in the save dialog.
  void SaveAll();
  // The lines of the given rows (all rows when empty), each ending in a newline.
  QString Lines(const std::vector<int>& rows = {}) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  kx::FrameCollector m_collector;
  CFrameTableModel m_model;
  QTableView* m_view = nullptr;
  QPushButton* m_btnPause = nullptr;
  QTimer m_drain;
  bool m_paused = false;
};
