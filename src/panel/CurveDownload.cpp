#include "panel/TesterDlg.h"

// Wires this concern's buttons; its operations arrive with their own change.
void CTesterDlg::ConnectCurveDownload() {}
