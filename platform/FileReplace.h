// Writes that replace a file only once the new one is complete: declared once, built by each
// system's folder (platform/posix, platform/win32).
#pragma once

#include <string>

#include "engine/core/FileIO.h"

// Whether a replacing write may replace a file that its user may not write to (a read-only
// file): only after the user was asked, as editors do.
enum class EReadOnlyFiles { kRefuse, kReplace };

// Writes to a temporary file beside path and renames it into place, so a failure never leaves
// a damaged file behind; throws CQLException when it cannot. The temporary file is made anew
// (never opened through a link or a file planted under its name), readable by its owner alone
// until complete, then given the old file's permissions (and owner where the system allows).
// A path that is a symbolic link is written through: the file it names is replaced; a file with
// other hard links is rewritten in place once the complete copy is safe beside it. Refused with
// a message: a read-only file (unless readOnly allows it), and every path FindReplaceTarget
// refuses. Leftover temporary files of this user's own in the folder, older than a minute, go.
void WriteFileReplacing(const std::string& path, const void* data, size_t size,
                        EReadOnlyFiles readOnly = EReadOnlyFiles::kRefuse);

// The file a replacing write to path would change, found as the write finds it.
struct SReplaceTarget {
    std::string path;          // path itself, or the file its links lead to
    bool exists = false;
    bool readOnly = false;     // it exists and this user may not write to it
    bool throughLink = false;  // path is a link, or a chain of them, to that file
};
// Throws CQLException where a write would refuse: a link in a folder that everyone may write to
// and that has the sticky bit (/tmp), made by someone other than this user or the folder's owner
// (the system's own protection of such links, which containers often lack); a link that leads
// to nothing (no file is ever made through one); a folder in the way; a loop of links.
SReplaceTarget FindReplaceTarget(const std::string& path);

// The writer that the engine's files (model files, pictures) are handed: a replacing write.
FileWriter ReplacingWriter(EReadOnlyFiles readOnly = EReadOnlyFiles::kRefuse);
