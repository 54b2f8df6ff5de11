// The universe library folder, its first-start samples and its list.
#include "storage/UniverseLibrary.h"

#include <algorithm>
#include <fstream>

#include "engine/core/FileIO.h"
#include "engine/core/Utf8Path.h"
#include "platform/UserFolders.h"

namespace fs = std::filesystem;

namespace {
std::string Folded(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Case folded first, so "b" follows "A"; the raw bytes break ties, so the order is total.
void SortNames(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string fa = Folded(a), fb = Folded(b);
        return fa != fb ? fa < fb : a < b;
    });
}

bool IsUniverseFileName(const fs::path& p) { return Folded(Utf8FromPath(p.extension())) == ".nmd"; }

// The folder's entries; a folder that cannot be read, or stops being readable, ends the list quietly.
std::vector<fs::directory_entry> Entries(const fs::path& folder)
{
    std::vector<fs::directory_entry> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) out.push_back(*it);
    return out;
}
}

fs::path UniverseLibraryFolder() { return UserDataFolder() / "universes"; }

int SeedUniverseLibrary(const fs::path& library, const fs::path& samples)
{
    std::error_code ec;
    fs::create_directories(library, ec);
    if (!fs::is_directory(library, ec) || fs::exists(library / kSamplesCopiedMarker, ec)) return 0;
    if (!fs::is_directory(samples, ec)) return 0;
    int copied = 0;
    for (const fs::directory_entry& e : Entries(samples)) {
        std::error_code fileEc;
        if (!e.is_regular_file(fileEc) || !IsUniverseFileName(e.path())) continue;
        if (fs::copy_file(e.path(), library / e.path().filename(), fs::copy_options::skip_existing, fileEc)) ++copied;
    }
    std::ofstream(library / kSamplesCopiedMarker) << "The sample universes were copied into this folder.\n";
    return copied;
}

std::vector<std::string> ListUniverseFolder(const fs::path& folder)
{
    std::vector<std::string> files, folders;
    for (const fs::directory_entry& e : Entries(folder)) {
        const std::string name = Utf8FromPath(e.path().filename());
        std::error_code entryEc;
        if (e.is_directory(entryEc)) {
            if (!name.empty() && name[0] != '.') folders.push_back(name);
        } else if (e.is_regular_file(entryEc) && IsUniverseFileName(e.path())) {
            files.push_back(name);
        }
    }
    SortNames(files);
    SortNames(folders);
    std::vector<std::string> list = std::move(files);
    for (const std::string& f : folders) list.push_back("[" + f + "]");
    list.push_back(kOtherUniverseEntry);
    return list;
}

fs::path UniverseListFolder()
{
    std::error_code ec;
    const fs::path library = UniverseLibraryFolder();
    return fs::is_directory(library, ec) ? library : fs::current_path(ec);
}

void FillUniverseList(std::vector<std::string>& list) { list = ListUniverseFolder(UniverseListFolder()); }

int FindUniverseEntry(const std::vector<std::string>& list, const std::string& path)
{
    if (path.empty()) return -1;
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(fs::absolute(PathFromUtf8(path), ec), ec);
    const fs::path folder = fs::weakly_canonical(UniverseListFolder(), ec);
    if (file.parent_path() != folder) return -1;
    const std::string name = Utf8FromPath(file.filename());
    // The last entry is "Other...", whatever file may carry that name.
    for (size_t i = 0; i + 1 < list.size(); ++i)
        if (list[i] == name) return int(i);
    return -1;
}

int ShowUniverseEntry(std::vector<std::string>& list, const std::string& path)
{
    list.clear();
    if (path.empty()) return -1;
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(fs::absolute(PathFromUtf8(path), ec), ec);
    if (file.parent_path() != fs::weakly_canonical(UniverseListFolder(), ec)) return -1;
    list.push_back(Utf8FromPath(file.filename()));
    return 0;
}
