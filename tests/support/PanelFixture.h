#pragma once
// A panel wired to a simulated device on a pseudo-terminal (port 1), with
// scripted prompts. Shared by the panel's test files.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <memory>

#include "ScriptedPrompts.h"
#include "panel/TesterDlg.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

class PanelFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QLineEdit* Edit(int id) const { return panel->ControlAs<QLineEdit>(id); }
  QLabel* Static(int id) const { return panel->ControlAs<QLabel>(id); }
  QString Cell(QTableWidget* table, int row, int column) const;
  // Requests the simulated device received, oldest first.
  std::vector<std::vector<uint8_t>> Requests() const;

  ScriptedPrompts prompts;
  std::unique_ptr<kx::VirtualDevice> device;
  std::unique_ptr<kx::SimHost> host;
  std::unique_ptr<CTesterDlg> panel;
};
