// The universe library: the user's own folder of universe files, seeded once with the samples, and its list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The last entry of every library list: asks for a file anywhere.
constexpr const char* kOtherUniverseEntry = "Other...";
// Left in a library once the samples were copied in, so samples the user deleted stay deleted.
constexpr const char* kSamplesCopiedMarker = ".samples-copied";

// $XDG_DATA_HOME/nimbula/universes (when that is an absolute path), else ~/.local/share/nimbula/universes.
std::filesystem::path UniverseLibraryFolder();

// Creates the library folder when needed and, the first time only, copies in the sample
// universes (*.nmd) of samples; a file of the same name already in the library is never
// replaced. Returns how many samples were copied; a library that cannot be made is left alone.
int SeedUniverseLibrary(const std::filesystem::path& library, const std::filesystem::path& samples);

// The entries for folder: its universe files (*.nmd, any letter case) sorted by name without
// regard to case, then its sub-folders in brackets sorted the same way (hidden ones left out),
// then "Other...".
std::vector<std::string> ListUniverseFolder(const std::filesystem::path& folder);

// The folder the library's drop-down list shows: the library when it exists, else the current
// directory. A chosen name is found in it; the current directory is never changed (a relative
// data folder or file name given at start-up would point elsewhere afterwards).
std::filesystem::path UniverseListFolder();
// The library's drop-down list: the entries of UniverseListFolder().
void FillUniverseList(std::vector<std::string>& list);
