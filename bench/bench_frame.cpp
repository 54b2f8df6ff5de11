// The editing frame's New with five groups of 250 orbs (textured), and its Open of the largest
// sample, each from the command to the universe in place (no display).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "frame/MainFrame.h"
#include "platform/FileDialog.h"
#include "support/UniverseFixture.h"
#include "view/AppServices.h"

namespace fs = std::filesystem;

namespace {
// A frame as the editing mode makes it, on a universe of its own.
class CBenchFrame {
public:
    CBenchFrame()
    {
        SetAppServices(&m_app);
        m_app.m_editingMode = true;
        m_app.m_installDir = UniverseResourceDir();
        m_frame.LoadFrame(RECT{0, 0, 1280, 720});
        for (int g = 0; g < 5; ++g) {
            auto* texture = new COrbTexture(2);
            texture->SetPicture(new CDIB(256, 128));
            m_frame.m_groups.emplace_back(texture, SFVec3f(0.2 * g, 0.5, 1.0), 250);
        }
        m_frame.m_groupsChanged = true;
    }
    ~CBenchFrame()
    {
        m_frame.DestroyWindow();
        SetAppServices(nullptr);
    }
    CUniverseSandbox m_sandbox;
    CAppServices m_app;
    CMainFrame m_frame;
};

void BM_FrameNewFiveGroupsOf250(benchmark::State& state)
{
    CBenchFrame b;
    for (auto _ : state) {
        b.m_frame.OnCommand(ID_FILE_NEW);
        benchmark::DoNotOptimize(g_orbs.data());
    }
    state.counters["orbs"] = double(g_orbs.size());
}
BENCHMARK(BM_FrameNewFiveGroupsOf250)->Unit(benchmark::kMillisecond);

void BM_FrameOpenLargestSample(benchmark::State& state)
{
    CBenchFrame b;
    const std::string path = LargestSampleUniverse();
    const FileDialogHandler old = SetFileDialogHandler([&](const SFileDialogOptions&, std::string* p) {
        *p = path;
        return true;
    });
    for (auto _ : state) {
        b.m_frame.OnCommand(ID_FILE_OPEN);
        // The list would grow by the file's groups on every round; it is the load that is timed.
        state.PauseTiming();
        b.m_frame.m_groups.resize(5);
        state.ResumeTiming();
    }
    state.counters["orbs"] = double(g_orbs.size());
    SetFileDialogHandler(old);
}
BENCHMARK(BM_FrameOpenLargestSample)->Unit(benchmark::kMillisecond);
}
