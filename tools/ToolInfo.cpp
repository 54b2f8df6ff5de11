// The info command of nimbula-tool: what a universe file holds, in words.
#include <algorithm>
#include <ostream>
#include <string>

#include "storage/UniverseFile.h"
#include "tools/ToolCommands.h"

namespace {
// Positions shown per group: enough to recognise a file, few enough to read.
constexpr size_t kPositionsShown = 3;

void Vec(std::ostream& out, const char* name, const SFVec3f& v)
{
    out << name << " " << v.x << " " << v.y << " " << v.z << "\n";
}
}

int ToolInfo(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    if (argc != 1) {
        err << "usage: nimbula-tool info FILE.nmd\n";
        return kToolUsageError;
    }
    const std::string path = ResolveUniversePath(argv[0]);
    SUniverseFile file;
    try {
        ReadUniverseFile(path, file);
    } catch (const CUniverseFileError& e) {
        for (const std::string& text : UniverseLoadMessages(e.m_kind)) err << text << "\n";
        err << UniverseFileErrorLine(path, e) << "\n";
        return 1;
    }
    const std::streamsize precision = out.precision(17);
    out << "file " << path << "\n";
    out << "version " << kUniverseFileVersion << "\n";
    Vec(out, "camera position", file.m_cameraPosition);
    Vec(out, "camera view", file.m_cameraView);
    Vec(out, "camera up", file.m_cameraUp);
    Vec(out, "camera side", file.m_cameraSide);
    if (file.m_hasGroups)
        out << "groups " << file.m_groups.size() << "\n";
    else
        out << "groups none: one record holds every orb\n";
    out << "orbs " << file.OrbCount() << "\n";
    for (size_t i = 0; i < file.m_groups.size(); ++i) {
        const SUniverseGroupRecord& g = file.m_groups[i];
        out << "group " << i + 1 << "\n";
        Vec(out, "  colour", g.m_color);
        if (g.m_pImage)
            out << "  texture " << g.m_pImage->GetWidth() << "x" << g.m_pImage->GetHeight() << "\n";
        else
            out << "  texture none\n";
        out << "  orbs " << g.m_positions.size() << "\n";
        for (size_t j = 0; j < std::min(g.m_positions.size(), kPositionsShown); ++j) {
            const SFVec3f& p = g.m_positions[j];
            out << "  position " << j << " " << p.x << " " << p.y << " " << p.z << "\n";
        }
    }
    out << "constants\n";
    out.precision(precision);
    PrintConstants(out, file.m_constants);
    return FinishOutput(out, err, "info");
}
