// The OpenGL 3.3 core renderer: every orb a ray-cast sphere on one point or quad, one draw per texture.
#pragma once

#include <memory>

#include "engine/core/Renderer.h"

class CGlRenderer : public IRenderer {
public:
    CGlRenderer();
    ~CGlRenderer() override;

    void DrawScene(const CScene& scene, const std::vector<SDrawItem>& items, int width, int height) override;
    void KillContext() override;

    // The size in pixels of what the next frame draws into (HiDPI screens have more pixels than
    // window units); 0 uses the size DrawScene gets. The target names the drawable: frames into
    // the same one may keep its depth buffer (null: never). x and y place the frame inside the
    // drawable, in pixels from its bottom left corner (a pane below a toolbar).
    void SetDrawableSize(int width, int height, const void* target = nullptr, int x = 0, int y = 0);
    // The GL context is gone already (KillContext is for a context that still exists and only
    // needs its objects made anew): forget every GPU name without deleting it.
    void AbandonContext();

private:
    struct SState;
    std::unique_ptr<SState> m_state;
};
