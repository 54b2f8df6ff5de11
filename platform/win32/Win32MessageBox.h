// AfxMessageBox as the system's MessageBoxW, over the program's own windows.
#pragma once

void InstallWin32MessageBoxes();
