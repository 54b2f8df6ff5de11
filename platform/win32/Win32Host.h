// The Win32 window host: windows of every placement sharing one WGL context, the system's messages
// handed to our windows in their own vocabulary, the message pump with idle.
#pragma once

#include <memory>

class IWindowHost;
struct SHostOptions;

std::unique_ptr<IWindowHost> CreateWin32Host(const SHostOptions& options);

// Asks the program to end from outside the loop (a console's Ctrl+C or close, the session's end):
// the main window is closed at the next turn of the loop. Safe from any thread.
void RequestWin32Close();
// True once an end was asked for and the loop has not yet taken it (a modal dialog looks).
bool Win32CloseRequested();
