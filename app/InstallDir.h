// Which folder holds the program's data (sphere.umf, orb.bmp, universes/).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The folders to try, in order: $NIMBULA_DIR, the settings' "directory" entry, then the data
// folder beside the executable (the build tree's res/, or ../share/nimbula when installed).
std::vector<std::filesystem::path> InstallDirCandidates(const char* envDir, const std::optional<std::string>& settingsDir,
                                                        const std::filesystem::path& exePath);

// The first candidate holding sphere.umf; none when no candidate does.
std::optional<std::filesystem::path> FindInstallDir(const std::vector<std::filesystem::path>& candidates);
