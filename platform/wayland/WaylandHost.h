// The layer-shell host: the desktop background of a Wayland session as surfaces in the
// compositor's layers (wlr-layer-shell: wlroots compositors such as sway, KDE), which SDL2 cannot
// make: one background-layer surface per output, below every window, never focused. Windows of
// any other kind (dialogs, the editing frame) are not made here: the background shows none.
#pragma once

#include <memory>

class IWindowHost;
struct SHostOptions;

// The host when the background is asked for in a Wayland session (and SDL is not asked for X11)
// whose compositor offers the layer shell; null otherwise. Where the compositor lacks it (GNOME),
// says once on standard error what the background cannot do there.
std::unique_ptr<IWindowHost> CreateLayerShellHost(const SHostOptions& options);
