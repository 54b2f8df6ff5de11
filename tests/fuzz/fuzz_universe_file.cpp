// Fuzz target: the universe stream reader. Whatever it accepts must write back and read again
// to the same universe; whatever it refuses must be refused with its own error, never a crash.
#include <cstring>

#include "engine/core/Archive.h"
#include "storage/UniverseFile.h"
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
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SUniverseFile file;
    try {
        CArchiveReader ar(data, size);
        ReadUniverseStream(ar, file);
    } catch (const CUniverseFileError&) {
        return 0;
    }
    if (file.OrbCount() > size_t(kMaxOrbs) || file.m_groups.size() > size_t(kMaxUniverseGroups) + 1) __builtin_trap();
    CArchiveWriter out;
    WriteUniverseStream(out, file);
    SUniverseFile again;
    CArchiveReader back(out.Bytes());
    ReadUniverseStream(back, again);
    if (!SameFile(file, again)) __builtin_trap();
    return 0;
}
