// Loading and saving universe files: the largest sample, and 250 orbs in five groups with
// 1024x1024 textures. Each load reads, checks and puts the whole universe in place.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "storage/UniverseFile.h"
#include "support/UniverseFixture.h"
#include "view/AppServices.h"

namespace fs = std::filesystem;

namespace {
std::string TempPath(const char* name) { return (fs::temp_directory_path() / name).string(); }

C2DTextureShader* NoiseTexture(int side, uint32_t seed)
{
    auto* picture = new CDIB(side, side);
    uint32_t x = seed;
    uint8_t* p = picture->Pixels();
    for (size_t i = 0; i < size_t(side) * side * 4; ++i) {
        x = x * 1664525u + 1013904223u;
        p[i] = uint8_t(x >> 24);
    }
    auto* texture = new COrbTexture(2);
    texture->SetPicture(picture);
    return texture;
}

// Five groups of 50 orbs, each with a texture of its own, saved once.
std::string WriteFiveTextureUniverse(std::vector<COrbGroup>& groups)
{
    for (uint32_t g = 0; g < 5; ++g) groups.emplace_back(NoiseTexture(1024, g + 1), SFVec3f(1.0, 0.2 * g, 0.5), 50);
    DeleteAllOrbs();
    for (const COrbGroup& g : groups)
        for (int i = 0; i < g.m_orbCount; ++i) {
            auto* orb = new COrb(nullptr);
            orb->m_color = g.m_color;
            AddOrb(orb);
            orb->SetTexture(g.m_pTexture);
            orb->m_startPosition = orb->m_position;
        }
    const std::string path = TempPath("nimbula_bench_five_textures.nmd");
    if (!SaveUniverse(groups, &path)) throw 1;
    return path;
}

// A universe to load into: sphere model, scene and object table, as the window has them.
struct SLoadTarget {
    CUniverseSandbox sandbox;
    SLoadTarget() { sandbox.m_scene.AddObject(BuildEmptyUniverse()); }
};

void Load(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        LoadUniverse(&path, nullptr);
        benchmark::DoNotOptimize(g_orbs.data());
    }
    state.counters["orbs"] = double(g_orbs.size());
    state.counters["MB"] = double(fs::file_size(path)) / 1e6;
}

void Save(benchmark::State& state, const std::vector<COrbGroup>& groups, const char* name)
{
    const std::string path = TempPath(name);
    for (auto _ : state)
        if (!SaveUniverse(groups, &path)) state.SkipWithError("save failed");
    state.counters["MB"] = double(fs::file_size(path)) / 1e6;
    fs::remove(path);
}
}

static void BM_LoadLargestSample(benchmark::State& state)
{
    SLoadTarget target;
    Load(state, LargestSampleUniverse());
}
BENCHMARK(BM_LoadLargestSample)->Unit(benchmark::kMillisecond);

static void BM_SaveLargestSample(benchmark::State& state)
{
    SLoadTarget target;
    // Loaded in editing mode, so the sample's groups are there to save.
    CAppServices* app = GetAppServices();
    app->m_editingMode = true;
    std::vector<COrbGroup> groups;
    const std::string path = LargestSampleUniverse();
    LoadUniverse(&path, &groups);
    app->m_editingMode = false;
    Save(state, groups, "nimbula_bench_sample.nmd");
}
BENCHMARK(BM_SaveLargestSample)->Unit(benchmark::kMillisecond);

static void BM_Load250OrbsFiveTextures1024(benchmark::State& state)
{
    SLoadTarget target;
    std::vector<COrbGroup> groups;
    const std::string path = WriteFiveTextureUniverse(groups);
    groups.clear();
    Load(state, path);
    fs::remove(path);
}
BENCHMARK(BM_Load250OrbsFiveTextures1024)->Unit(benchmark::kMillisecond);

static void BM_Save250OrbsFiveTextures1024(benchmark::State& state)
{
    SLoadTarget target;
    std::vector<COrbGroup> groups;
    fs::remove(WriteFiveTextureUniverse(groups));
    Save(state, groups, "nimbula_bench_five_textures_save.nmd");
}
BENCHMARK(BM_Save250OrbsFiveTextures1024)->Unit(benchmark::kMillisecond);
