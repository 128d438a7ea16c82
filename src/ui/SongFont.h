#pragma once

namespace kx {
// Maps the dialog face 宋体 (and its Latin name SimSun) to a Song-style CJK face
// that Debian ships. Call once after QApplication exists and before any widget.
void InstallSongSubstitution();
// The substitution plus the dialogs' font, 宋体 9 pt, as the application font.
// Needs a QGuiApplication.
void InstallDialogFont();
// The face the dialogs and the chart ask for.
inline constexpr const char* kSongFace = "宋体";
}  // namespace kx
