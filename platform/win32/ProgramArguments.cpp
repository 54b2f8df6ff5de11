// The command line on Windows, from the wide one the system keeps.
#include "platform/ProgramArguments.h"

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    // The C runtime's argv is in the system's code page: the wide command line has every letter.
    int n = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return out;
}
