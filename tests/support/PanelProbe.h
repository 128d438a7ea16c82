#pragma once
// The tests' narrow view of the panel's private fields: what an operation left
// behind that no control shows (the open port, the held group image) and the
// few fields a test sets up directly. Controls are reached by their ids.

#include <cstdint>
#include <span>
#include <vector>

#include "panel/TesterDlg.h"

class PanelProbe {
 public:
  explicit PanelProbe(CTesterDlg& panel) : m_panel(panel) {}

  // The open port, or nullptr between operations.
  const kx::SerialPort* Port() const { return m_panel.m_hComm.get(); }

  // Value fields, as the last data exchange left them.
  int PortNumber() const { return m_panel.m_nPort; }
  int Address() const { return m_panel.m_nAddress; }
  int GroupNo() const { return m_panel.m_nGroupNo; }
  int PointNo() const { return m_panel.m_nPointNo; }
  QString Period() const { return m_panel.m_strPeriod; }
  float VoltageRange() const { return m_panel.m_fVoltageRange; }
  int& SuccessCount() { return m_panel.m_nSuccessCount; }
  int FailCount() const { return m_panel.m_nFailCount; }
  QString& GroupDate() { return m_panel.m_strGroupDate; }

  // A continuous acquisition tick is on the worker and not yet counted.
  bool TickInFlight() const { return m_panel.m_bTickInFlight; }
  // Continuous acquisition's state as the busy rule sees it.
  int& Continuous() { return m_panel.m_bContinuous; }
  // The full window rectangle taken at start-up.
  QRect& WindowRect() { return m_panel.m_rectWindow; }
  int AlarmSwitch(CTesterDlg::AlarmGroup group) const { return m_panel.m_bAlarmOn[group]; }

  // The current curve group: the whole 50,000-byte buffer, its valid bytes, the
  // points counted at download or open, and the viewer's group.
  const std::vector<uint8_t>& GroupBuffer() const { return m_panel.m_pGroupData; }
  int GroupBytes() const { return m_panel.m_nGroupBytes; }
  std::vector<uint8_t> GroupImage() const {
    const auto bytes = static_cast<size_t>(m_panel.m_nGroupBytes);
    return std::vector<uint8_t>(m_panel.m_pGroupData.begin(), m_panel.m_pGroupData.begin() + bytes);
  }
  int GroupPoints() const { return m_panel.m_nGroupPoints; }
  CCurveGroup& ViewerGroup() { return m_panel.m_dlgCurveView.Group(); }
  CCurveViewDlg& Viewer() { return m_panel.m_dlgCurveView; }

 private:
  CTesterDlg& m_panel;
};
