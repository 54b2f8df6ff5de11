// Fuzz target: the universe stream reader. Whatever it accepts must write back and read again
// to the same universe; whatever it refuses must be refused with its own error, never a crash.
// What it accepts then takes the thumbnailer's path as a file (the universe built as a window
// builds it and drawn, with the null renderer), which must load and draw it.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "engine/core/Archive.h"
#include "engine/core/ModelFile.h"
#include "storage/UniverseFile.h"
#include "tools/ToolHeadlessUniverse.h"
#include "universe/OrbScene.h"

namespace {
bool SameFile(const SUniverseFile& a, const SUniverseFile& b)
{
    if (a.m_cameraPosition != b.m_cameraPosition || a.m_cameraView != b.m_cameraView || a.m_cameraUp != b.m_cameraUp ||
        a.m_cameraSide != b.m_cameraSide || a.m_hasGroups != b.m_hasGroups || a.m_groups.size() != b.m_groups.size() ||
        std::memcmp(a.m_constants.Bytes(), b.m_constants.Bytes(), CUniversalConstants::kSize) != 0)
        return false;
    for (size_t i = 0; i < a.m_groups.size(); ++i) {
        const SUniverseGroupRecord &x = a.m_groups[i], &y = b.m_groups[i];
        if (std::memcmp(&x.m_color, &y.m_color, sizeof(SFVec3f)) != 0 || x.m_positions.size() != y.m_positions.size() ||
            !x.m_pImage != !y.m_pImage)
            return false;
        if (!x.m_positions.empty() &&
            std::memcmp(x.m_positions.data(), y.m_positions.data(), x.m_positions.size() * sizeof(SFVec3f)) != 0)
            return false;
        if (x.m_pImage && (x.m_pImage->GetWidth() != y.m_pImage->GetWidth() ||
                           x.m_pImage->GetHeight() != y.m_pImage->GetHeight() ||
                           std::memcmp(x.m_pImage->Pixels(), y.m_pImage->Pixels(),
                                       size_t(x.m_pImage->GetWidth()) * x.m_pImage->GetHeight() * 4) != 0))
            return false;
    }
    return true;
}

// The bytes in the container, as a file on disk, loaded and drawn as the thumbnailer does.
bool ThumbnailPathLoads(const uint8_t* data, size_t size)
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_universe_file." + std::to_string(getpid()) + ".nmd")).string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const uint32_t version = 1;
        out.write(CUMF::kMagic, sizeof CUMF::kMagic);
        out.write(reinterpret_cast<const char*>(&version), sizeof version);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        if (!out) __builtin_trap();
    }
    std::ostream discard(nullptr);
    CHeadlessUniverse universe;
    SHeadlessUniverseOptions options;
    options.universePath = path;
    if (!universe.Build(options, 64, 64, discard, "")) return false;
    universe.Draw();
    return true;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SUniverseFile file;
    try {
        CArchiveReader ar(data, size);
        ReadUniverseStream(ar, file);
    } catch (const CUniverseFileError&) {
        // The thumbnailer's path refuses it with the same reader, before any universe is built.
        return 0;
    }
    if (!ThumbnailPathLoads(data, size)) __builtin_trap();
    if (file.OrbCount() > size_t(kMaxOrbs) || file.m_groups.size() > size_t(kMaxUniverseGroups) + 1) __builtin_trap();
    CArchiveWriter out;
    WriteUniverseStream(out, file);
    SUniverseFile again;
    CArchiveReader back(out.Bytes());
    ReadUniverseStream(back, again);
    if (!SameFile(file, again)) __builtin_trap();
    return 0;
}
