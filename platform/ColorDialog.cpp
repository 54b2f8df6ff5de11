// The colour question's handler, kept for the program's life.
#include "platform/ColorDialog.h"

#include <utility>

namespace {
ColorDialogHandler& Handler()
{
    static ColorDialogHandler handler;
    return handler;
}
}

ColorDialogHandler SetColorDialogHandler(ColorDialogHandler handler)
{
    ColorDialogHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

const ColorDialogHandler& GetColorDialogHandler() { return Handler(); }
