// A headless universe for tests and benchmarks: own constants, scene and host, torn down afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/Scene.h"
#include "platform/MessageBox.h"
#include "universe/Collisions.h"
#include "universe/Motion.h"
#include "universe/Orb.h"
#include "universe/OrbScene.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

// The res/ folder with sphere.umf and orb.bmp: NIMBULA_DIR when set, else the source tree's copy.
inline std::string UniverseResourceDir()
{
    if (const char* env = std::getenv("NIMBULA_DIR"); env && *env) return env;
    return (std::filesystem::path(NIMBULA_SOURCE_DIR) / "res").string();
}

// The largest sample universe of the source tree (the one that takes longest to load).
inline std::string LargestSampleUniverse()
{
    const std::filesystem::path dir = std::filesystem::path(NIMBULA_SOURCE_DIR) / "res" / "universes";
    std::filesystem::path largest;
    for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(dir))
        if (largest.empty() || e.file_size() > std::filesystem::file_size(largest)) largest = e.path();
    return largest.string();
}

// Installs a fresh constants block, scene and host; restores the previous ones when it goes.
// Messages are collected instead of shown, and a fatal exit is recorded instead of ending the run.
class CUniverseSandbox {
public:
    CUniverseSandbox()
        : m_savedConstants(g_pConstants), m_savedHost(g_universeContext)
    {
        g_pConstants = &m_constants;
        g_universeContext = SUniverseContext();
        g_universeContext.scene = &m_scene;
        g_universeContext.installDir = UniverseResourceDir();
        g_universeContext.fatalExit = [](int code) { s_exitCode = code; };
        g_universeContext.onOrbsDestroyed = [](void* ctx) { ++static_cast<CUniverseSandbox*>(ctx)->m_destroyNotices; };
        g_universeContext.ctx = this;
        s_exitCode = 0;
        m_savedHandler = SetMessageBoxHandler([this](const std::string& text, unsigned) {
            m_messages.push_back(text);
            return m_reply;
        });
        ResetRand();
    }
    ~CUniverseSandbox()
    {
        DestroyAllOrbs();
        SetMessageBoxHandler(m_savedHandler);
        g_universeContext = m_savedHost;
        g_pConstants = m_savedConstants;
    }
    CUniverseSandbox(const CUniverseSandbox&) = delete;
    CUniverseSandbox& operator=(const CUniverseSandbox&) = delete;

    // The standard universe of n orbs with the built-in texture.
    CShape* Build(int n)
    {
        CShape* root = BuildUniverse({n, -1}, {0, -1});
        if (root) m_scene.AddObject(root);
        return root;
    }

    // An orb added to the universe and then put exactly where a test wants it.
    static COrb* PlaceOrb(const SFVec3f& position, const SFVec3f& velocity)
    {
        auto* orb = new COrb(nullptr);
        AddOrb(orb);
        orb->m_position = position;
        orb->m_velocity = velocity;
        orb->m_pShape->m_position = position;
        return orb;
    }

    static void Frame()
    {
        MoveOrbs();
        CollideOrbs();
    }

    CUniversalConstants m_constants;
    CScene m_scene;
    std::vector<std::string> m_messages;
    // What every message box answers.
    int m_reply = IDOK;
    int m_destroyNotices = 0;
    static inline int s_exitCode = 0;

private:
    CUniversalConstants* m_savedConstants;
    SUniverseContext m_savedHost;
    MessageBoxHandler m_savedHandler;
};
