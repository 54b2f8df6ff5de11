// Where the program keeps the user's own files (the universe library), one place per system.
#pragma once

#include <filesystem>

// $XDG_DATA_HOME/nimbula (default ~/.local/share/nimbula) on POSIX systems, %APPDATA%\Nimbula on
// Windows.
std::filesystem::path UserDataFolder();
// A base folder of the XDG rules (POSIX systems): $variable when it holds an absolute path, else
// $HOME/belowHome, else belowHome in the current directory.
std::filesystem::path XdgBaseFolder(const char* variable, const char* belowHome);
