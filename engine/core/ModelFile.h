// Model files: a short header, then a sequence of stored engine objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPersistantObject;

class CUMF {
public:
    static constexpr char kMagic[4] = {'N', 'U', 'M', 'F'};
    static constexpr uint32_t kFormatVersion = 1;

    ~CUMF();
    // Reads the whole file and checks its header; throws CQLException when it cannot.
    void Open(const std::string& path);
    // Starts a new file to be written by StoreObject and Close.
    void Create(const std::string& path);
    // The next object of an opened file, adopted by the default catalog; null at the end.
    // A damaged object throws CQLException.
    CPersistantObject* LoadObject();
    void StoreObject(const CPersistantObject& object);
    // Finishes a created file (written to a temporary name and renamed into place).
    void Close();

private:
    std::string m_path;
    bool m_writing = false;
    bool m_open = false;
    std::vector<uint8_t> m_bytes;
    size_t m_pos = 0;
};
