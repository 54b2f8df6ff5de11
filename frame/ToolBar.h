// The editing frame's toolbar: a row of flat command buttons with pictures and tips, as plain data.
// It follows the mouse itself (its gripper drags it to another side of the frame); a painter
// installed by the drawing layer shows it.
#pragma once

#include <string>
#include <vector>

#include "engine/math/Rect.h"
#include "platform/Messages.h"
#include "platform/NativeToolBar.h"

// The desktop's scale for the bars made from now on (the root sets it once the host has a display, and
// again when the frame comes to an output of another scale: its bar follows; 1 without a display).
void SetToolBarScale(float scale);
float ToolBarScale();

// The side of the frame the bar is docked on: a row along the top or bottom, a column at the left
// or right.
enum class EDockSide : uint8_t { Top, Left, Right, Bottom };

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

    // Every size above grows with the desktop's scale, so the bar keeps its size on the screen.
    int Scaled(int v) const { return int(float(v) * m_scale + 0.5f); }
    // The bar's thickness across its side (its height along the top): a row of buttons, more
    // where the frame is too short for them all in one.
    int Height() const { return Thickness(m_side); }
    int Thickness(EDockSide side) const;
    // How many buttons stand in one row (or column) on a side.
    int PerLine(EDockSide side) const;
    bool IsVertical() const { return m_side == EDockSide::Left || m_side == EDockSide::Right; }

    // Adds a button for a command; its picture is folder/name.png.
    void AddButton(int id, const std::string& folder, const std::string& name);
    // The frame's client size, which places a bar docked at the right or bottom.
    void SetClientSize(long width, long height);
    // The bar along side, in the frame's client coordinates.
    RECT BarRect(EDockSide side) const;
    RECT BarRect() const { return BarRect(m_side); }
    // The gripper at the bar's start (its left end, or its top in a column).
    RECT GripperRect() const;
    // The button's place in the frame's client coordinates.
    RECT ButtonRect(int index) const;
    // The side whose edge of the frame is nearest a point: where a dragged bar docks.
    EDockSide NearestSide(int x, int y) const;
    // The button under a point; -1 when none.
    int HitTest(int x, int y) const;
    SToolButton* Find(int id);
    const SToolButton* Find(int id) const;
    // The tip of a command: the part of its string after the newline.
    static std::string TipOf(int id);
    // The greyed picture beside a button's picture: name-disabled.png.
    static std::string DisabledImageOf(const std::string& image);
    // The buttons as the system's toolbar takes them.
    std::vector<SNativeToolButton> NativeButtons() const;

    // Mouse messages in the frame's client coordinates. A command runs when the button that was
    // pressed is released over it, as a flat button does; returns its id then, else 0. The
    // gripper, pressed and dragged, docks the bar on the side nearest where it is let go.
    int OnMouse(UINT message, int x, int y);

    std::vector<SToolButton> m_buttons;
    int m_hot = -1;      // the button under the mouse
    int m_pressed = -1;  // the button held down
    float m_scale = ToolBarScale();
    EDockSide m_side = EDockSide::Top;
    bool m_dragging = false;               // the gripper is being dragged
    EDockSide m_dropSide = EDockSide::Top; // where the dragged bar would dock
    long m_clientWidth = 0, m_clientHeight = 0;
};

// Draws the toolbar on its side of a window of width x height (the window's picture is current),
// and where a dragged bar would dock; null when nobody draws (tests).
using ToolBarPainter = void (*)(const CToolBar& bar, int width, int height);
void SetToolBarPainter(ToolBarPainter painter);
ToolBarPainter GetToolBarPainter();

