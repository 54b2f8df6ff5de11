// How a dialog fits the window or monitor it opens on: at its own size where there is room,
// scaled down to the room where its text stays legible, else at the legible size with scrolling.
#pragma once

struct SDialogFit {
    float zoom = 1.0f;                   // the dialog's size and text, times this
    float width = 0.0f, height = 0.0f;   // the dialog's window, in pixels
    bool scroll = false;                 // the window shows part of the dialog and scrolls
};

// size: the dialog's own; room: the owner's; minZoom: the smallest zoom at which its text is
// still legible (at most 1).
SDialogFit FitDialog(float width, float height, float roomWidth, float roomHeight, float minZoom);
