// Small GL services for what draws beside the universe (dialogs): clearing a window, pictures as textures.
#pragma once

class CDIB;

// Clears the whole drawable of width x height to a colour (a window that shows no universe).
void GlClearDrawable(int width, int height, float r, float g, float b);
// A texture of the picture for the dialogs' drawing; 0 when it cannot be made.
unsigned GlCreateTexture(const CDIB& picture);
void GlDeleteTexture(unsigned texture);
