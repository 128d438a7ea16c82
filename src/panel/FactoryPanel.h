#pragma once
// Helpers shared by the factory gate, device settings, calibration and alarm
// handlers of the panel.

#include <QString>

#include "link/Messages.h"
#include "panel/Layout.h"
#include "panel/TesterDlg.h"

namespace kx::panel {

inline void Show(CTesterDlg& dlg, const char* utf8) { dlg.ShowMessage(QString::fromUtf8(utf8)); }

// Opens the port for a factory or setting operation; on failure shows the shared
// message, and there is nothing to close.
inline bool OpenFactoryPort(CTesterDlg& dlg) {
  if (dlg.OpenPort()) return true;
  Show(dlg, kx::msg::kPortNotFound);
  return false;
}

// The full width W of the window narrowed to the left column: W × 521 / 679.
inline int UserWidth(int fullWidth) { return fullWidth * kUserWidthUnits / kTemplateWidth; }

}  // namespace kx::panel
