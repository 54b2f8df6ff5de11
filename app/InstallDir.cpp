// The installation directory rules.
#include "app/InstallDir.h"

#include "engine/core/Utf8Path.h"

std::vector<std::filesystem::path> InstallDirCandidates(const char* envDir, const std::optional<std::string>& settingsDir,
                                                        const std::filesystem::path& exePath)
{
    std::vector<std::filesystem::path> out;
    if (envDir && *envDir) out.emplace_back(envDir);
    if (settingsDir && !settingsDir->empty()) out.push_back(PathFromUtf8(*settingsDir));
    if (!exePath.empty()) {
        const std::filesystem::path dir = exePath.parent_path();
        out.push_back(dir / "res");
        out.push_back(dir.parent_path() / "share" / "nimbula");
    }
    return out;
}

std::optional<std::filesystem::path> FindInstallDir(const std::vector<std::filesystem::path>& candidates)
{
    for (const auto& c : candidates) {
        std::error_code ec;
        // Absolute, so that the folder stays the same whatever the current directory becomes.
        if (std::filesystem::is_regular_file(c / "sphere.umf", ec)) return std::filesystem::absolute(c, ec);
    }
    return std::nullopt;
}

std::string MissingDataNote(const std::string& origin, const std::filesystem::path& dir)
{
    std::error_code ec;
    const std::string where = origin + " names " + Utf8FromPath(dir);
    if (!std::filesystem::exists(dir, ec)) return where + ", which does not exist";
    if (!std::filesystem::is_directory(dir, ec)) return where + ", which is not a folder";
    if (std::filesystem::is_regular_file(dir / "sphere.umf", ec)) return {};
    std::string lacks = "sphere.umf";
    if (!std::filesystem::is_regular_file(dir / "orb.bmp", ec)) lacks += " and orb.bmp";
    return where + ", which lacks " + lacks;
}
