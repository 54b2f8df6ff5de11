// The place a save writes to, reached one name at a time with the system's protection of links in
// shared folders built in, and held open so that nothing swapped in afterwards moves the save.
#pragma once

#include <string>

#include <sys/stat.h>
#include "platform/FileReplace.h"

class CSavePath {
public:
    // Walks path as the kernel would, following links only where the rule allows, up to the
    // folder of the file that changes; throws CQLException where FindReplaceTarget refuses.
    explicit CSavePath(const std::string& path);
    ~CSavePath();
    CSavePath(const CSavePath&) = delete;
    CSavePath& operator=(const CSavePath&) = delete;

    // The folder, open for the *at calls; the file's name in it.
    int Folder() const { return m_folder; }
    const std::string& Name() const { return m_name; }
    // The file's full path, for questions and messages.
    std::string Path() const;
    bool Exists() const { return m_exists; }
    // lstat of the file, when it exists.
    const struct stat& File() const { return m_file; }
    bool ThroughLink() const { return m_throughLink; }
    // It exists and this user may not write to it (for root: nobody may).
    bool ReadOnly() const;

private:
    void Enter(int folder, std::string path);

    int m_folder = -1;
    std::string m_folderPath;
    std::string m_name;
    struct stat m_file = {};
    bool m_exists = false;
    bool m_throughLink = false;
};
