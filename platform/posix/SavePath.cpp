// A save's path walked one name at a time from an open folder: links are read and checked here,
// never followed by the system, so the rule below holds whatever the kernel's settings.
#include "platform/posix/SavePath.h"

#include <cerrno>
#include <deque>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include "engine/core/QLException.h"

namespace {
// As many links as the system itself follows before it calls it a loop.
constexpr int kMaxLinks = 40;

std::error_code Reason(int error) { return std::error_code(error ? error : EIO, std::generic_category()); }

std::string Join(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::deque<std::string> Names(const std::string& path)
{
    std::deque<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        if (end > start) names.emplace_back(path, start, end - start);
        start = end + 1;
    }
    return names;
}

std::string UserName(uid_t uid)
{
    std::vector<char> buffer(16384);
    struct passwd pw = {}, *found = nullptr;
    if (::getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return std::string(found->pw_name) + " (uid " + std::to_string(uid) + ")";
    return "uid " + std::to_string(uid);
}

// The kernel's protected_symlinks: in a folder that everyone may write to and that has the
// sticky bit, only links of our own or of the folder's owner are followed.
void CheckLinkRule(int folder, const std::string& folderPath, const std::string& name, const struct stat& link)
{
    struct stat dir = {};
    if (::fstat(folder, &dir) != 0) throw CQLException("cannot read the folder " + folderPath, Reason(errno));
    const bool shared = (dir.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == dir.st_uid) return;
    throw CQLException(Join(folderPath, name) + " is a link that " + UserName(link.st_uid) +
                       " made in a folder everyone may write to (" + folderPath +
                       "): it is not followed, and nothing was written");
}

std::string ReadLink(int folder, const std::string& name, const std::string& path)
{
    std::vector<char> text(4096);
    for (;;) {
        const ssize_t n = ::readlinkat(folder, name.c_str(), text.data(), text.size());
        if (n < 0) throw CQLException("cannot read the link " + path, Reason(errno));
        if (size_t(n) < text.size()) return std::string(text.data(), size_t(n));
        text.resize(text.size() * 2);
    }
}

int OpenFolder(int at, const char* name)
{
    return ::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::string CurrentFolder()
{
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string(".") : cwd.string();
}
}

CSavePath::CSavePath(const std::string& path)
{
    if (path.empty()) throw CQLException("no file name given");
    const bool absolute = path.front() == '/';
    Enter(OpenFolder(AT_FDCWD, absolute ? "/" : "."), absolute ? "/" : CurrentFolder());
    std::deque<std::string> names = Names(path);
    if (names.empty() || path.back() == '/') throw CQLException("not a file but a folder: " + path);
    int links = 0;
    // The last name came from a link: a file that is not there would be made where it points.
    bool lastFromLink = false;
    while (!names.empty()) {
        const std::string name = names.front();
        names.pop_front();
        const bool last = names.empty();
        if (name == ".") continue;
        if (name == "..") {
            Enter(OpenFolder(m_folder, ".."), std::filesystem::path(m_folderPath).parent_path().string());
            if (last) throw CQLException("not a file but a folder: " + path);
            continue;
        }
        const std::string here = Join(m_folderPath, name);
        struct stat st = {};
        if (::fstatat(m_folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !last) throw CQLException("file cannot be written: " + here, Reason(errno));
            if (lastFromLink)
                throw CQLException(path + " is a link to " + here +
                                   ", which does not exist: no file is made through a link");
            m_name = name;
            return;
        }
        if (S_ISLNK(st.st_mode)) {
            CheckLinkRule(m_folder, m_folderPath, name, st);
            if (++links > kMaxLinks) throw CQLException("too many symbolic links: " + path, Reason(ELOOP));
            const std::string to = ReadLink(m_folder, name, here);
            if (to.empty()) throw CQLException("an empty link: " + here, Reason(ENOENT));
            if (last) lastFromLink = m_throughLink = true;
            if (to.front() == '/') Enter(OpenFolder(AT_FDCWD, "/"), "/");
            std::deque<std::string> more = Names(to);
            names.insert(names.begin(), more.begin(), more.end());
            // A link whose text ends in '/' names a folder, which no file can replace.
            if (last && (more.empty() || to.back() == '/')) throw CQLException("not a file but a folder: " + here);
            continue;
        }
        if (!last) {
            if (!S_ISDIR(st.st_mode)) throw CQLException("not a folder: " + here, Reason(ENOTDIR));
            Enter(OpenFolder(m_folder, name.c_str()), here);
            continue;
        }
        if (S_ISDIR(st.st_mode)) throw CQLException("not a file but a folder: " + here);
        m_name = name;
        m_file = st;
        m_exists = true;
        return;
    }
    // The walk ended on "." (perhaps from a link): a folder.
    throw CQLException("not a file but a folder: " + path);
}

CSavePath::~CSavePath()
{
    if (m_folder >= 0) ::close(m_folder);
}

void CSavePath::Enter(int folder, std::string path)
{
    if (folder < 0) throw CQLException("cannot open the folder " + path, Reason(errno));
    if (m_folder >= 0) ::close(m_folder);
    m_folder = folder;
    m_folderPath = std::move(path);
}

std::string CSavePath::Path() const { return Join(m_folderPath, m_name); }

bool CSavePath::ReadOnly() const
{
    if (!m_exists) return false;
    // Root may write anything; a file nobody may write to is still one the user meant to keep.
    if (::geteuid() == 0) return (m_file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return ::faccessat(m_folder, m_name.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT;
}
