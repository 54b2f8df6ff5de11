// The switches the end-to-end tests (and people chasing a fault) set in the environment, read
// once, on first use, into one record. docs/testing.md lists them with what each is for.
#pragma once

#include <string>

struct SDiagnostics {
    // NIMBULA_MESSAGE_BOXES=stderr: every message goes to standard error, answered as OK (or
    // Yes), instead of a box that waits for a click.
    bool messagesToStderr = false;
    // NIMBULA_LAYOUT_FILE: after each redraw, every open dialog's controls in screen pixels, so a
    // test clicks where a button is drawn (platform/sdl/SdlDialogHost.cpp writes it).
    std::string layoutFile;
    // NIMBULA_PREVIEW_SNAPSHOT: each frame a child window shows (the preview, the frame's pane),
    // as a picture; under Wine a child window's OpenGL never reaches the screen (Windows only).
    std::string previewSnapshot;
    // NIMBULA_WEB_TRACE: every event of the web support window's browser, one line each.
    std::string webTrace;
};

const SDiagnostics& Diagnostics();
