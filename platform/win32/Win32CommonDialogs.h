// The system's file and colour dialogs as the program's file and colour questions.
#pragma once

void InstallWin32CommonDialogs();
void RemoveWin32CommonDialogs();
