// The drawing backend behind CScene::RawDraw; the null renderer lets everything run without a GPU.
#pragma once

#include <vector>

#include "engine/math/SFMatrix.h"

class CScene;
class CShape;

struct SDrawItem {
    CShape* shape;
    SFMatrix world;  // the shape's terminal matrix
};

class IRenderer {
public:
    virtual ~IRenderer() = default;
    // Draws one frame of the scene into a width x height viewport.
    virtual void DrawScene(const CScene& scene, const std::vector<SDrawItem>& items, int width, int height) = 0;
    // Forgets all GPU state; the next DrawScene rebuilds it.
    virtual void KillContext() = 0;
};

// The renderer every scene draws with; null means draw nothing (tests, headless tools).
IRenderer* GetSceneRenderer();
void SetSceneRenderer(IRenderer* renderer);
