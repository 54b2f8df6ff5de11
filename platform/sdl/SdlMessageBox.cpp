// AfxMessageBox as an SDL message box with the buttons the type asks for.
#include "platform/sdl/SdlMessageBox.h"

#include <SDL.h>

#include <cstdio>

#include "platform/MessageBox.h"
#include "platform/sdl/SdlSignals.h"

namespace {
int ShowSdlBox(const std::string& text, unsigned type)
{
    // The escape button first: a box ended by a signal answers with it.
    SDL_MessageBoxButtonData buttons[3];
    int count = 0;
    int fallback = IDOK;
    switch (type & 0xF) {
    case MB_OKCANCEL:
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
        count = 2;
        break;
    case MB_YESNO:
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        count = 2;
        fallback = IDYES;
        break;
    case MB_YESNOCANCEL:
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
        buttons[1] = {0, IDNO, "No"};
        buttons[2] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        count = 3;
        fallback = IDYES;
        break;
    default:
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
        count = 1;
        break;
    }
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    else if ((type & 0xF0) == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
    const SDL_MessageBoxData data{flags, nullptr, "Nimbula", text.c_str(), count, buttons, nullptr};
    int pressed = -1;
    SetMessageBoxOpen(true);
    // A box ended by a termination signal may still report success.
    const bool shown = !TermRequested() && SDL_ShowMessageBox(&data, &pressed) == 0 && !TermRequested();
    SetMessageBoxOpen(false);
    if (!shown) {
        // No display to show it on, or the program is asked to end: the text must still reach the user.
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        if (!TermRequested()) return fallback;
        // Asked to end: a question about unsaved work lets the program go.
        return count == 3 ? IDNO : buttons[0].buttonid;
    }
    // Closing the box without a button counts as its escape button.
    if (pressed < 0) return count == 1 ? IDOK : buttons[0].buttonid;
    return pressed;
}
}

void InstallSdlMessageBoxes() { SetMessageBoxHandler(ShowSdlBox); }
