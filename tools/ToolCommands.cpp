// Universal-string commands of nimbula-tool.
#include "tools/ToolCommands.h"

#include <cerrno>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "storage/ShareMessages.h"
#include "storage/UniverseFile.h"
#include "universe/UniversalConstants.h"

namespace {
// Standard input up to one byte more than max: enough to tell that it is too long, however
// much more there is (< /dev/zero never ends).
std::string ReadAtMost(std::istream& in, size_t max)
{
    std::string bytes(max + 1, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

std::string Trim(const std::string& s)
{
    const char* ws = " \t\r\n\v\f";
    const size_t a = s.find_first_not_of(ws);
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(ws);
    return s.substr(a, b - a + 1);
}

// Decodes standard input into block; prints the failure's text and returns its code.
int DecodeInput(std::istream& in, CUniversalConstants& block, std::ostream& err)
{
    const std::string text = ReadAtMost(in, size_t(kMaxUniversalStringBytes));
    if (in.bad()) {
        err << "cannot read standard input\n";
        return 1;
    }
    if (text.size() > size_t(kMaxUniversalStringBytes)) {
        err << UniversalStringFailureText(1) << "\n";
        return 1;
    }
    try {
        block.DecodeUniversalString(Trim(text));
    } catch (int code) {
        err << UniversalStringFailureText(code) << "\n";
        return code;
    }
    return 0;
}

void Vec(std::ostream& out, const char* name, const SFVec3f& v)
{
    out << name << " " << v.x << " " << v.y << " " << v.z << "\n";
}
}

int FinishOutput(std::ostream& out, std::ostream& err, const char* command, const char* what)
{
    out.flush();
    if (out) return 0;
    // The stream keeps no reason of its own; the system's is the last one it met.
    const int code = errno;
    err << "nimbula-tool " << command << ": cannot write " << what << ": "
        << (code != 0 ? std::strerror(code) : "the write failed") << "\n";
    return kToolOutputError;
}

int ToolDefaults(std::ostream& out, std::ostream& err)
{
    errno = 0;
    CUniversalConstants block;
    out << block.EncodeUniversalString() << "\n";
    return FinishOutput(out, err, "defaults");
}

int ToolEncode(std::istream& in, std::ostream& out, std::ostream& err)
{
    const std::string bytes = ReadAtMost(in, CUniversalConstants::kSize);
    if (in.bad()) {
        err << "cannot read standard input\n";
        return 1;
    }
    if (bytes.size() != CUniversalConstants::kSize) {
        err << "expected " << CUniversalConstants::kSize << " bytes on standard input, got "
            << (bytes.size() > CUniversalConstants::kSize ? "more" : std::to_string(bytes.size())) << "\n";
        return 1;
    }
    CUniversalConstants block;
    std::memcpy(block.Bytes(), bytes.data(), CUniversalConstants::kSize);
    errno = 0;
    out << block.EncodeUniversalString() << "\n";
    return FinishOutput(out, err, "encode");
}

int ToolDecode(std::istream& in, std::ostream& out, std::ostream& err)
{
    CUniversalConstants block;
    if (int code = DecodeInput(in, block, err)) return code;
    errno = 0;
    out.write(reinterpret_cast<const char*>(block.Bytes()), CUniversalConstants::kSize);
    return FinishOutput(out, err, "decode");
}

int ToolShow(std::istream& in, std::ostream& out, std::ostream& err)
{
    CUniversalConstants c;
    if (int code = DecodeInput(in, c, err)) return code;
    errno = 0;
    PrintConstants(out, c);
    return FinishOutput(out, err, "show");
}

void PrintConstants(std::ostream& out, const CUniversalConstants& c)
{
    const std::streamsize precision = out.precision(17);
    Vec(out, "m_cameraPosition", c.m_cameraPosition);
    Vec(out, "m_cameraView", c.m_cameraView);
    Vec(out, "m_cameraUp", c.m_cameraUp);
    Vec(out, "m_lightPosition", c.m_lightPosition);
    Vec(out, "m_lightView", c.m_lightView);
    Vec(out, "m_lightUp", c.m_lightUp);
    out << "m_gravity " << c.m_gravity << "\n";
    out << "m_hitSpeedBonus " << c.m_hitSpeedBonus << "\n";
    out << "m_topSpeed " << c.m_topSpeed << "\n";
    out << "m_recoilLoss " << c.m_recoilLoss << "\n";
    out << "m_propagationLoss " << c.m_propagationLoss << "\n";
    out << "m_collisionDiameter " << c.m_collisionDiameter << "\n";
    out << "m_maxEnergy " << c.m_maxEnergy << "\n";
    out << "m_whitePoint " << c.m_whitePoint << "\n";
    out << "m_packingEnergy " << c.m_packingEnergy << "\n";
    out << "m_orbCount " << c.m_orbCount << "\n";
    Vec(out, "m_boundaryMin", c.m_boundaryMin);
    Vec(out, "m_boundaryMax", c.m_boundaryMax);
    Vec(out, "m_boundarySize", c.m_boundarySize);
    out << "m_boundaryEnergy " << c.m_boundaryEnergy << "\n";
    out << "m_tidalDivisor " << c.m_tidalDivisor << "\n";
    out << "m_minimumAngle " << c.m_minimumAngle << "\n";
    out << "m_spinning " << int(c.m_spinning) << "\n";
    out << "m_blackHole " << int(c.m_blackHole) << "\n";
    out << "m_scaledColor " << int(c.m_scaledColor) << "\n";
    out << "m_flashCollisions " << int(c.m_flashCollisions) << "\n";
    out << "m_dynamicColor " << int(c.m_dynamicColor) << "\n";
    out << "m_sphericalBoundary " << int(c.m_sphericalBoundary) << "\n";
    out << "m_energyColorShifting " << int(c.m_energyColorShifting) << "\n";
    out << "m_throwForce " << c.m_throwForce << "\n";
    out.precision(precision);
}
