#pragma once
// A panel wired to a simulated device on a pseudo-terminal (port 1), with
// scripted prompts. Shared by the panel's and the reliability suites.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <memory>

#include "PanelProbe.h"
#include "ScriptedPrompts.h"
#include "panel/ControlIds.h"
#include "panel/TesterDlg.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"
#include "widgets/IconButton.h"

class PanelFixture : public ::testing::Test {
 public:
  PanelProbe Probe() const { return PanelProbe(*panel); }

 protected:
  void SetUp() override;
  void TearDown() override;

  // Controls by template id (panel/ControlIds.h).
  QLineEdit* Edit(int id) const { return panel->ControlAs<QLineEdit>(id); }
  QLabel* Static(int id) const { return panel->ControlAs<QLabel>(id); }
  QPushButton* Button(int id) const { return panel->ControlAs<QPushButton>(id); }
  CIconButton* IconButton(int id) const { return panel->ControlAs<CIconButton>(id); }
  QComboBox* Combo(int id) const { return panel->ControlAs<QComboBox>(id); }
  QCheckBox* Check(int id) const { return panel->ControlAs<QCheckBox>(id); }
  QTableWidget* Table(int id) const { return panel->ControlAs<QTableWidget>(id); }
  QString Cell(int tableId, int row, int column) const;
  // One tick of continuous acquisition, run until it has been counted.
  void Tick();
  // Requests the simulated device received, oldest first.
  std::vector<std::vector<uint8_t>> Requests() const;

  ScriptedPrompts prompts;
  std::unique_ptr<kx::VirtualDevice> device;
  std::unique_ptr<kx::SimHost> host;
  std::unique_ptr<CTesterDlg> panel;
};
