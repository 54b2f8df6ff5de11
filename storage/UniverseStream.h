// Universe files (*.nmd): the model-file container's header, then the universe stream: version,
// camera, orb groups with their textures and start positions, and the universal string. The
// format alone: reading checks everything before anything else happens.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Dib.h"
#include "engine/core/FileIO.h"
#include "universe/UniversalConstants.h"
#include "platform/FileReplace.h"

class CArchiveReader;
class CArchiveWriter;

constexpr int32_t kUniverseFileVersion = 770;

// Numbers every universe file the program opens or creates; the engine's current file id
// (CPersistantObject::sfCurrentFileID) takes its value before each Open and Create.
extern int g_nextFileID;

// Bounds on what a file may ask for, checked before any memory is taken for it.
// The whole file is read at once, so its size bounds everything else (textures, positions).
constexpr uintmax_t kMaxUniverseFileSize = 512u << 20;
// The editing frame defines five groups; far more is not a universe of ours.
constexpr int32_t kMaxUniverseGroups = 256;
// A universal string has 708 letters; a longer one fails its decoding anyway.
constexpr int32_t kMaxUniversalStringBytes = 4096;
// Orbs of all groups together stay within kMaxOrbs; a texture's sides within CDIB::kMaxSide.

constexpr const char* kUniverseFileMissingText = "Selected file is missing or corrupted.";
constexpr const char* kUniverseFileOldText = "This is an old Nimbula file and cannot be read by this program.";
constexpr const char* kUniverseFileLoadFailedText = "Could not successfully load file.";

enum class EUniverseFileError {
    kMissing,     // no file, or not our container
    kOldVersion,  // the stream's version is not kUniverseFileVersion
    kDamaged,     // short, out of bounds, a bad image or a bad universal string
};

// A universe file that cannot be read; m_detail says why, for people reading logs and tools.
class CUniverseFileError {
public:
    CUniverseFileError(EUniverseFileError kind, std::string detail) : m_kind(kind), m_detail(std::move(detail)) {}
    EUniverseFileError m_kind;
    std::string m_detail;
};

// The messages a failed load shows, in order.
std::vector<std::string> UniverseLoadMessages(EUniverseFileError kind);
// The line standard error adds to them: the file's full path and the reason.
std::string UniverseFileErrorLine(const std::string& path, const CUniverseFileError& e);

// One group record of the stream.
struct SUniverseGroupRecord {
    SFVec3f m_color{1.0, 1.0, 1.0};
    // The texture picture, or null. A record read from a file owns it through m_ownedImage.
    const CDIB* m_pImage = nullptr;
    std::unique_ptr<CDIB> m_ownedImage;
    // Start positions of the group's orbs, in the order of g_orbs.
    std::vector<SFVec3f> m_positions;
};

// Everything a universe file holds.
struct SUniverseFile {
    SFVec3f m_cameraPosition;
    SFVec3f m_cameraView;
    SFVec3f m_cameraUp;
    SFVec3f m_cameraSide;
    // False: group count 0, one record with every orb and no group definition.
    // True: the records are the editing frame's groups (a negative stored count gives none).
    bool m_hasGroups = false;
    std::vector<SUniverseGroupRecord> m_groups;
    // Carried as its universal string.
    CUniversalConstants m_constants;

    size_t OrbCount() const;
};

// The stream without the container. Reading checks every size against the bounds above and
// throws CUniverseFileError; bytes after the universal string are ignored.
void ReadUniverseStream(CArchiveReader& ar, SUniverseFile& out);
void WriteUniverseStream(CArchiveWriter& ar, const SUniverseFile& file);
// Whole files at a full path. Reading throws CUniverseFileError; writing goes to a temporary file
// beside path that is renamed into place, and throws CQLException when it cannot (a read-only
// file too, unless readOnly says the user agreed to replace it).
void ReadUniverseFile(const std::string& path, SUniverseFile& out);
void WriteUniverseFile(const std::string& path, const SUniverseFile& file,
                       EReadOnlyFiles readOnly = EReadOnlyFiles::kRefuse);
// What a save says when the universe is larger than a file may be.
constexpr const char* kUniverseTooLargeText = "The universe is too large for a universe file.";
