#pragma once
// What a fault may not leave behind: open terminal descriptors, a port that
// cannot be opened again, or changed read-outs.

#include <QString>
#include <cstddef>
#include <map>
#include <string>

class CTesterDlg;

namespace rel {

// Descriptors of this process that point at a pseudo-terminal (either side).
size_t TerminalDescriptors();
// All open descriptors of this process.
size_t OpenDescriptors();
// Resident pages of this process.
long ResidentPages();
// True when path can be opened exclusively at once (and is closed again).
bool CanOpenAtOnce(const std::string& path);

// Every control of the panel that shows something: texts, list cells, combo
// choices, check marks and enabled states, keyed by control id.
using Snapshot = std::map<QString, QString>;
Snapshot TakeSnapshot(const CTesterDlg& panel);
// The keys whose values differ (or exist in one only), for failure messages.
QString Differences(const Snapshot& before, const Snapshot& after);

}  // namespace rel
