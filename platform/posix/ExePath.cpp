// The running executable's path, from the Linux process file system.
#include "platform/ExePath.h"

std::filesystem::path ExecutablePath()
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}
