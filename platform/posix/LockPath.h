// Where the single-copy lock's file lies on POSIX systems (Windows' lock is a named mutex).
#pragma once

#include <filesystem>
#include <string>

// In $XDG_RUNTIME_DIR when set and usable, else in the temp folder's nimbula-<uid>, a folder of
// this user's own (made 0700).
std::filesystem::path LockPath(const std::string& name);
// Where the lock goes when LockPath's folder belongs to someone else (a folder made in the shared
// temp folder by another user first): the user's cache folder, nimbula/.
std::filesystem::path FallbackLockPath(const std::string& name);
