// The user's data folder on POSIX systems, by the XDG base-directory rules.
#include "platform/UserFolders.h"

#include "engine/core/FileIO.h"

std::filesystem::path UserDataFolder() { return XdgBaseFolder("XDG_DATA_HOME", ".local/share") / "nimbula"; }
