// The editing frame's toolbar drawn with Dear ImGui, in an ImGui context of its own.
#pragma once

// Installs the toolbar painter for as long as it lives.
class CToolBarPainterInstaller {
public:
    CToolBarPainterInstaller();
    ~CToolBarPainterInstaller();
    CToolBarPainterInstaller(const CToolBarPainterInstaller&) = delete;
    CToolBarPainterInstaller& operator=(const CToolBarPainterInstaller&) = delete;
};
