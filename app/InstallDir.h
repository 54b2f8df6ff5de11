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

// Why dir, named by origin (e.g. "NIMBULA_DIR"), cannot serve as the data folder: the folder and
// what it lacks, for standard error. Empty when it holds sphere.umf.
std::string MissingDataNote(const std::string& origin, const std::filesystem::path& dir);
