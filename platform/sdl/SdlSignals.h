// SIGTERM, SIGINT and SIGHUP ask the program to end, in every state: also while SDL's message box
// (a process of its own) is open.
#pragma once

// Installs the handlers; the loop then reads the request with TermRequested.
void InstallTermSignals();
// A termination signal arrived. It stays so while the program ends: whatever asks the user on the
// way out (the frame's question about unsaved work) gets the answer that lets it go.
bool TermRequested();
// Brackets a message box: a termination signal while it is open closes the box at once, and no
// box opens once the end was asked for.
void SetMessageBoxOpen(bool open);
