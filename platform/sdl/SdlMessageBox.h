// Message boxes through SDL.
#pragma once

// Routes AfxMessageBox to SDL's message box (NIMBULA_MESSAGE_BOXES=stderr still wins).
void InstallSdlMessageBoxes();
