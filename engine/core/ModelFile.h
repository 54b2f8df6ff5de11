// Model files: a short header, then a sequence of stored engine objects or a stream of the caller's own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Archive.h"
#include "engine/core/FileIO.h"

class CPersistantObject;

class CUMF {
public:
    static constexpr char kMagic[4] = {'N', 'U', 'M', 'F'};
    static constexpr uint32_t kFormatVersion = 1;
    // Model files are small meshes; anything larger is not one of ours.
    static constexpr uintmax_t kMaxModelFileSize = 256u << 20;

    ~CUMF();
    // Reads the whole file (at most maxSize bytes) and checks its header; throws CQLException when it cannot.
    void Open(const std::string& path, uintmax_t maxSize = kMaxModelFileSize);
    // Starts a new file to be written by StoreObject and Close; Close hands the finished bytes
    // to write (which says whether a read-only file may be replaced, and how).
    void Create(const std::string& path, FileWriter write);
    // The next object of an opened file, adopted by the default catalog; null at the end.
    // A damaged object throws CQLException.
    CPersistantObject* LoadObject();
    void StoreObject(const CPersistantObject& object);
    // Finishes a created file: its bytes go to the writer Create was given.
    void Close();

    // The raw stream after the header, for files that carry a stream of their own instead of
    // objects. Read takes the next bytes of an opened file (throws CQLException past its end);
    // Write appends to a created one.
    void Read(void* out, size_t size);
    void Write(const void* data, size_t size);
    // The unread rest of an opened file, read in place (valid until Close); and the stream of a
    // created file, written in place.
    CArchiveReader ReadStream() const;
    CArchiveWriter& WriteStream();

private:
    std::string m_path;
    bool m_writing = false;
    bool m_open = false;
    FileWriter m_write;
    std::vector<uint8_t> m_bytes;  // the file read by Open
    size_t m_pos = 0;
    CArchiveWriter m_out;          // the file made by Create
};
