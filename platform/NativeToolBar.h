// A toolbar the system draws (Windows' common controls) in place of a painted one: the editing
// frame makes it in its window when a maker is installed, docks it at the top and hands it its
// buttons' states; its buttons send WM_COMMAND to the frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CWnd;

// One button: its command, pictures and tip, and its state.
struct SNativeToolButton {
    int id = 0;
    std::string image;          // the picture file
    std::string disabledImage;  // its greyed copy
    std::string tip;
    bool enabled = true;
    bool checked = false;  // shown pressed in
};

class INativeToolBar {
public:
    virtual ~INativeToolBar() = default;
    // Shows a button's state (cheap when it has not changed).
    virtual void SetState(int id, bool enabled, bool checked) = 0;
    // Fits the bar across the frame's client width; returns its height.
    virtual long Fit(long clientWidth) = 0;
};

// Makes the system's toolbar in the frame's window with pictures of imageSize pixels; null when
// it cannot.
using NativeToolBarMaker = std::unique_ptr<INativeToolBar> (*)(CWnd& frame, const std::vector<SNativeToolButton>& buttons,
                                                               int imageSize);
void SetNativeToolBarMaker(NativeToolBarMaker maker);
NativeToolBarMaker GetNativeToolBarMaker();
