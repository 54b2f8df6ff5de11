// The one place each system is wired: the composition root fills every slot that platform/Host.h
// lists, in the order the parts depend on each other, and empties them in the reverse order when
// it goes. main() makes one for the program's life. One definition per system, each in its folder:
// app/linux/CompositionRoot.cpp (SDL, X11, Dear ImGui), app/windows/CompositionRoot.cpp (Win32).
#pragma once

#include <memory>

#include "platform/Host.h"

class CCompositionRoot {
public:
    explicit CCompositionRoot(const SHostOptions& options);
    ~CCompositionRoot();
    CCompositionRoot(const CCompositionRoot&) = delete;
    CCompositionRoot& operator=(const CCompositionRoot&) = delete;

private:
    struct SParts;
    std::unique_ptr<SParts> m_parts;
};
