// SIGTERM, SIGINT and SIGHUP ask the program to end, in every state: also while SDL's message box
// (a process of its own) is open.
#pragma once

// Installs the handlers; the loop then reads the request with TakeTermRequest.
void InstallTermSignals();
// A termination signal arrived: it stays so while the program ends, so that whatever asks the
// user on the way out (the frame's question about unsaved work) gets no answer but the end's.
bool TermRequested();
// A termination signal arrived and has not been taken yet.
bool TermPending();
// True once: the caller starts the end.
bool TakeTermRequest();
// Brackets a message box: a termination signal while it is open closes the box at once, and no
// box opens once the end was asked for.
void SetMessageBoxOpen(bool open);
