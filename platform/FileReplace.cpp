// The engine's files are written through the system's replacing write.
#include "platform/FileReplace.h"

FileWriter ReplacingWriter(EReadOnlyFiles readOnly)
{
    return [readOnly](const std::string& path, const std::vector<uint8_t>& bytes) {
        WriteFileReplacing(path, bytes.data(), bytes.size(), readOnly);
    };
}
