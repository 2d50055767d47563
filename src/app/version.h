#pragma once

namespace voxa {
// The manager's version as the settings file and the update server store it.
inline constexpr int ManagerVersion = 30101;
inline constexpr const char *ManagerVersionText = "3.01.01";
inline constexpr const char *ApplicationTitle = "VOXA Manager";
}  // namespace voxa
