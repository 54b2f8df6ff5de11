// The universe stream and its container: read whole and checked against every bound, written in
// one buffer of its final size through a temporary file.
#include "storage/UniverseStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/core/Archive.h"
#include "engine/core/FileIO.h"
#include "engine/core/ModelFile.h"
#include "engine/core/PersistantObject.h"
#include "engine/core/QLException.h"
#include "universe/OrbScene.h"
#include "platform/FileReplace.h"

int g_nextFileID = 0;

namespace {
constexpr size_t kVectorBytes = 24;
constexpr size_t kUniversalStringLength = 708;

// Before every Open and Create the engine learns which file it works on.
void TakeNextFileID() { CPersistantObject::sfCurrentFileID = uint32_t(g_nextFileID++); }

[[noreturn]] void Damaged(const std::string& why) { throw CUniverseFileError(EUniverseFileError::kDamaged, why); }

// A count read from the file, refused unless it lies within 0..max.
int32_t ReadCount(CArchiveReader& ar, int32_t max, const char* what)
{
    const int32_t n = ar.ReadI32();
    if (n < 0 || n > max) Damaged(std::string(what) + " " + std::to_string(n) + " out of range");
    return n;
}

void ReadGroupRecord(CArchiveReader& ar, SUniverseGroupRecord& rec, size_t& orbsSoFar)
{
    rec.m_color = ar.ReadVec3();
    if (ar.ReadI32() != 0) {
        // The image checks its own sides and that its pixels are all there before it allocates.
        rec.m_ownedImage = std::make_unique<CDIB>();
        rec.m_ownedImage->Serialize(ar);
        rec.m_pImage = rec.m_ownedImage.get();
    }
    const int32_t n = ReadCount(ar, int32_t(kMaxOrbs - orbsSoFar), "orb count");
    if (size_t(n) * kVectorBytes > ar.Remaining()) Damaged("orb positions cut short");
    rec.m_positions.resize(size_t(n));
    for (SFVec3f& p : rec.m_positions) p = ar.ReadVec3();
    orbsSoFar += size_t(n);
}

void ReadConstants(CArchiveReader& ar, CUniversalConstants& block)
{
    const int32_t length = ReadCount(ar, kMaxUniversalStringBytes, "universal string length");
    std::string text(size_t(length), '\0');
    ar.ReadBytes(text.data(), text.size());
    // The text ends at its first zero byte, as a C string would.
    text.resize(std::strlen(text.c_str()));
    try {
        block.DecodeUniversalString(text);
    } catch (int code) {
        Damaged(code == 1 ? "universal string has " + std::to_string(text.size()) + " letters, not 708"
                          : "universal string fails its check");
    }
}

size_t StreamSize(const SUniverseFile& file)
{
    size_t n = 4 + 4 * kVectorBytes + 4 + 4 + kUniversalStringLength;
    for (const SUniverseGroupRecord& rec : file.m_groups) {
        n += kVectorBytes + 4 + 4 + rec.m_positions.size() * kVectorBytes;
        if (rec.m_pImage && !rec.m_pImage->IsEmpty())
            n += 8 + size_t(rec.m_pImage->GetWidth()) * size_t(rec.m_pImage->GetHeight()) * 4;
    }
    return n;
}
}  // namespace

std::vector<std::string> UniverseLoadMessages(EUniverseFileError kind)
{
    switch (kind) {
    case EUniverseFileError::kMissing: return {kUniverseFileMissingText, kUniverseFileLoadFailedText};
    case EUniverseFileError::kOldVersion: return {kUniverseFileOldText, kUniverseFileLoadFailedText};
    case EUniverseFileError::kDamaged: break;
    }
    return {kUniverseFileLoadFailedText};
}

std::string UniverseFileErrorLine(const std::string& path, const CUniverseFileError& e)
{
    return FileFailureLine(path, e.m_detail);
}

size_t SUniverseFile::OrbCount() const
{
    size_t n = 0;
    for (const SUniverseGroupRecord& rec : m_groups) n += rec.m_positions.size();
    return n;
}

void ReadUniverseStream(CArchiveReader& ar, SUniverseFile& out)
{
    try {
        const int32_t version = ar.ReadI32();
        if (version != kUniverseFileVersion)
            throw CUniverseFileError(EUniverseFileError::kOldVersion, "version " + std::to_string(version));
        SUniverseFile f;
        f.m_cameraPosition = ar.ReadVec3();
        f.m_cameraView = ar.ReadVec3();
        f.m_cameraUp = ar.ReadVec3();
        f.m_cameraSide = ar.ReadVec3();
        if (!f.m_cameraPosition.IsFinite() || !f.m_cameraView.IsFinite() || !f.m_cameraUp.IsFinite() ||
            !f.m_cameraSide.IsFinite())
            Damaged("camera is not finite");
        const int32_t groups = ar.ReadI32();
        if (groups > kMaxUniverseGroups) Damaged("group count " + std::to_string(groups) + " out of range");
        f.m_hasGroups = groups != 0;
        const int32_t records = groups == 0 ? 1 : std::max(groups, 0);
        size_t orbs = 0;
        f.m_groups.resize(size_t(records));
        for (SUniverseGroupRecord& rec : f.m_groups) ReadGroupRecord(ar, rec, orbs);
        ReadConstants(ar, f.m_constants);
        out = std::move(f);
    } catch (const CQLException& e) {
        Damaged(e.What());
    } catch (const std::bad_alloc&) {
        Damaged("not enough memory");
    }
}

void WriteUniverseStream(CArchiveWriter& ar, const SUniverseFile& file)
{
    ar.WriteI32(kUniverseFileVersion);
    ar.WriteVec3(file.m_cameraPosition);
    ar.WriteVec3(file.m_cameraView);
    ar.WriteVec3(file.m_cameraUp);
    ar.WriteVec3(file.m_cameraSide);
    if (!file.m_hasGroups && file.m_groups.size() != 1)
        throw CQLException("a universe without group definitions has exactly one record");
    // Group definitions without any group can only be said with a negative count.
    const int32_t groups = !file.m_hasGroups ? 0 : file.m_groups.empty() ? -1 : int32_t(file.m_groups.size());
    ar.WriteI32(groups);
    for (const SUniverseGroupRecord& rec : file.m_groups) {
        ar.WriteVec3(rec.m_color);
        const bool textured = rec.m_pImage && !rec.m_pImage->IsEmpty();
        ar.WriteI32(textured ? 1 : 0);
        if (textured) rec.m_pImage->Serialize(ar);
        ar.WriteI32(int32_t(rec.m_positions.size()));
        for (const SFVec3f& p : rec.m_positions) ar.WriteVec3(p);
    }
    const std::string text = file.m_constants.EncodeUniversalString();
    ar.WriteI32(int32_t(text.size()));
    ar.WriteBytes(text.data(), text.size());
}

void ReadUniverseFile(const std::string& path, SUniverseFile& out)
{
    CUMF umf;
    TakeNextFileID();
    try {
        umf.Open(path, kMaxUniverseFileSize);
    } catch (const CQLException& e) {
        throw CUniverseFileError(EUniverseFileError::kMissing, e.What());
    }
    CArchiveReader ar = umf.ReadStream();
    ReadUniverseStream(ar, out);
    umf.Close();
}

void WriteUniverseFile(const std::string& path, const SUniverseFile& file, EReadOnlyFiles readOnly)
{
    // What the loader would refuse is not written either.
    const size_t size = StreamSize(file);
    if (size > kMaxUniverseFileSize - 8 || file.m_groups.size() > size_t(kMaxUniverseGroups) ||
        file.OrbCount() > size_t(kMaxOrbs))
        throw CQLException(kUniverseTooLargeText);
    CUMF umf;
    TakeNextFileID();
    umf.Create(path, ReplacingWriter(readOnly));
    CArchiveWriter& ar = umf.WriteStream();
    ar.Reserve(size);
    WriteUniverseStream(ar, file);
    umf.Close();
}
