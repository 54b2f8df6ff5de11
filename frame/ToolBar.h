// The editing frame's toolbar: a row of flat command buttons with pictures and tips, as plain data.
// It follows the mouse itself; a painter installed by the drawing layer shows it.
#pragma once

#include <string>
#include <vector>

#include "engine/math/Rect.h"
#include "platform/Messages.h"

// The desktop's scale for the bars made from now on (the host sets it; 1 without a display).
void SetToolBarScale(float scale);
float ToolBarScale();

struct SToolButton {
    int id = 0;              // the command it sends
    std::string image;       // its picture file (32 x 32); "-disabled" before the extension: greyed
    bool enabled = true;
    bool checked = false;    // shown pressed in (time stopped)
};

class CToolBar {
public:
    static constexpr int kButtonImage = 32;  // the picture
    static constexpr int kButtonSize = 38;   // the button around it
    static constexpr int kGripperWidth = 10; // the classic bar's handle at its left end
    static constexpr int kMargin = 3;
    static constexpr int kHeight = kButtonSize + 2 * kMargin;

    // Every size above grows with the desktop's scale, so the bar keeps its size on the screen.
    int Scaled(int v) const { return int(float(v) * m_scale + 0.5f); }
    int Height() const { return Scaled(kHeight); }

    // Adds a button for a command; its picture is folder/name.png.
    void AddButton(int id, const std::string& folder, const std::string& name);
    // The button's place in the frame's client coordinates.
    RECT ButtonRect(int index) const;
    // The button under a point; -1 when none.
    int HitTest(int x, int y) const;
    SToolButton* Find(int id);
    const SToolButton* Find(int id) const;
    // The tip of a command: the part of its string after the newline.
    static std::string TipOf(int id);

    // Mouse messages in the frame's client coordinates. A command runs when the button that was
    // pressed is released over it, as a flat button does; returns its id then, else 0.
    int OnMouse(UINT message, int x, int y);

    std::vector<SToolButton> m_buttons;
    int m_hot = -1;      // the button under the mouse
    int m_pressed = -1;  // the button held down
    float m_scale = ToolBarScale();
};

// Draws the toolbar across the top of a window of width x height (the window's picture is current);
// null when nobody draws (tests).
using ToolBarPainter = void (*)(const CToolBar& bar, int width, int height);
void SetToolBarPainter(ToolBarPainter painter);
ToolBarPainter GetToolBarPainter();
