// Where the running program's file lives.
#pragma once

#include <filesystem>

// The running executable's path; empty when the system does not say.
std::filesystem::path ExecutablePath();
