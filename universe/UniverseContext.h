// What the window and the application hand to the universe, so that universe/ never knows a window.
#pragma once

#include <string>

class CScene;

// Ends the process; the default calls std::exit. Tests replace it to check fatal paths.
using FatalExitFn = void (*)(int code);
[[noreturn]] void DefaultFatalExit(int code);

struct SUniverseContext {
    // The universe window's scene: its spatial map is the orbs' object table.
    CScene* scene = nullptr;
    short spatialMapDivisions = 23;
    // Folder holding sphere.umf and orb.bmp.
    std::string installDir;
    // Editing mode with time stopped: the motion pass does nothing.
    bool timeStopped = false;
    // Called whenever orbs are destroyed, so the view can forget the orbs it holds.
    void (*onOrbsDestroyed)(void* ctx) = nullptr;
    void* ctx = nullptr;
    FatalExitFn fatalExit = DefaultFatalExit;
};

extern SUniverseContext g_universeContext;
