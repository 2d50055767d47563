#pragma once
// The two faces the look is designed for, "Impact" and "MS Shell Dlg", do not
// exist on Linux. They are mapped once, at start-up, to free faces of the same
// character: a condensed bold face and DejaVu Sans.
#include <QFont>

namespace voxa {

inline constexpr const char *ImpactFamily = "Impact";
inline constexpr const char *ShellDlgFamily = "MS Shell Dlg";

// Registers the substitutes with QFont. Safe to call more than once.
void InstallFontSubstitutes();

// "Impact" at a point size (bold, as the face itself is).
QFont ImpactFont(int pointSize);
// "MS Shell Dlg" at a point size.
QFont ShellDlgFont(int pointSize, bool bold = false);

}  // namespace voxa
