// The editing frame's toolbar on Windows: the common controls' toolbar.
#pragma once

// Makes frames use the system's toolbar from now on.
void InstallWin32ToolBar();
