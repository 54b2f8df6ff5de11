// The settings store over the settings key: group "APP", entries "UnivFile" and "Nimbula".
#include "storage/SettingsStore.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "platform/RegistryKey.h"
#include "platform/MessageBox.h"
#include "universe/UniversalConstants.h"

namespace {
// A read-only settings file is the user's choice: it is left alone, and the message says why.
void ShowWriteFailure(const CQLException& e)
{
    const std::string path = CRegistryKey::SettingsPath();
    std::string reason = WriteFailureReason(path, e);
    if (!reason.empty()) reason[0] = char(std::toupper(static_cast<unsigned char>(reason[0])));
    AfxMessageBox("Nimbula could not save its settings in " + path + ".\n" + reason +
                      ".\nThe settings saved before are unchanged.",
                  MB_OK | MB_ICONWARNING);
}
}

void CSettingsStore::Load(CUniversalConstants& block) { LoadDefaultConstants(block); }

bool CSettingsStore::SetDefaultUniverseFile(const std::string& path)
{
    try {
        CRegistryKey(1).PutCookieString(kGroup, kUniverseFileEntry, path);
        return true;
    } catch (const CQLException& e) {
        ShowWriteFailure(e);
        return false;
    }
}

std::string CSettingsStore::GetDefaultUniverseFile() const
{
    std::string path;
    if (!CRegistryKey(1).GetCookieString(kGroup, kUniverseFileEntry, path)) return {};
    return path;
}

bool CSettingsStore::SaveDefaultConstants(const CUniversalConstants& block)
{
    const std::vector<uint8_t> bytes(block.Bytes(), block.Bytes() + CUniversalConstants::kSize);
    try {
        CRegistryKey(1).PutCookieRaw(kGroup, kConstantsEntry, bytes);
        return true;
    } catch (const CQLException& e) {
        ShowWriteFailure(e);
        return false;
    }
}

bool CSettingsStore::LoadDefaultConstants(CUniversalConstants& block, const std::string& entry) const
{
    std::vector<uint8_t> bytes;
    if (!CRegistryKey(1).GetCookieRaw(kGroup, entry, bytes) || bytes.size() != CUniversalConstants::kSize) return false;
    std::memcpy(block.Bytes(), bytes.data(), CUniversalConstants::kSize);
    return true;
}
