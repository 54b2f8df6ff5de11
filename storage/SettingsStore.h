// What Nimbula keeps between runs: the default universe file and the constants saved as default.
#pragma once

#include <string>

class CUniversalConstants;

class CSettingsStore {
public:
    static constexpr const char* kGroup = "APP";
    static constexpr const char* kUniverseFileEntry = "UnivFile";
    static constexpr const char* kConstantsEntry = "Nimbula";

    // Start-up: the constants saved as default, when there are any, over the block.
    void Load(CUniversalConstants& block);

    // Each writer shows a message naming the settings file when it cannot be written; what the
    // file already held stays as it was. Returns false then.
    bool SetDefaultUniverseFile(const std::string& path);
    // "" when none is stored (or the entry is not a string).
    std::string GetDefaultUniverseFile() const;
    bool SaveDefaultConstants(const CUniversalConstants& block);
    // Copies the saved block over block; a missing entry, or one that is not exactly one block
    // long, leaves block as it was. Returns whether it copied.
    bool LoadDefaultConstants(CUniversalConstants& block, const std::string& entry = kConstantsEntry) const;
};
