#pragma once
// The main panel template as data: every control of the main panel with its id, kind,
// text and rectangle in dialog units.

#include <span>

namespace kx::panel {

enum class Kind {
  Label,          // static text
  LabelRight,     // static text, right-aligned
  LabelCentre,    // static text, centred, reports clicks
  LabelElided,    // static text, elided when too wide (whole in its tooltip)
  Edit,
  EditDigits,     // edit that accepts digits only
  EditReadOnly,
  EditHidden,
  LabelHidden,
  Combo,          // drop-down combo box with an editable text field
  Button,
  IconButton,     // self-painting button with an optional icon
  DefaultButton,  // the default push button (multi-line caption)
  Check,          // automatic two-state check box
  GroupBox,       // titled group box
  Frame,          // two-tone group frame, no caption
  List,           // report-style list view
};

struct ControlDef {
  int id;  // 0 for controls no code refers to
  Kind kind;
  const char* text;  // caption, or the list items separated by '|'; a source text of "CTesterDlg"
  int x, y, w, h;    // dialog units
  bool disabled = false;
};

std::span<const ControlDef> PanelTemplate();

inline constexpr int kTemplateWidth = 679;
inline constexpr int kTemplateHeight = 461;
inline constexpr int kUserWidthUnits = 521;

// The full width W of the window narrowed to the left column: W × 521 / 679.
inline int UserWidth(int fullWidth) { return fullWidth * kUserWidthUnits / kTemplateWidth; }

}  // namespace kx::panel
