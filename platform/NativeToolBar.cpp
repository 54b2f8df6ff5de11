// The system toolbar's maker, installed by the host for the program's life.
#include "platform/NativeToolBar.h"

namespace {
NativeToolBarMaker g_maker = nullptr;
}

void SetNativeToolBarMaker(NativeToolBarMaker maker) { g_maker = maker; }
NativeToolBarMaker GetNativeToolBarMaker() { return g_maker; }
