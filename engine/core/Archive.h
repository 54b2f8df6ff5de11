// Little-endian binary streams for model and universe files; every read is bounds-checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math/SFVec3f.h"

// Writes into a growing byte buffer.
class CArchiveWriter {
public:
    void WriteBytes(const void* data, size_t size);
    // Room for size more bytes, so a large stream is not copied as it grows.
    void Reserve(size_t size) { m_bytes.reserve(m_bytes.size() + size); }
    void WriteU8(uint8_t v) { WriteBytes(&v, 1); }
    void WriteI32(int32_t v);
    void WriteU32(uint32_t v);
    void WriteF32(float v);
    void WriteF64(double v);
    // x, y, z as three doubles.
    void WriteVec3(const SFVec3f& v);
    // Length-prefixed (u32) string.
    void WriteString(const std::string& s);
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// Reads from a byte buffer; running past its end throws CQLException.
class CArchiveReader {
public:
    CArchiveReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit CArchiveReader(const std::vector<uint8_t>& bytes) : CArchiveReader(bytes.data(), bytes.size()) {}
    void ReadBytes(void* out, size_t size);
    uint8_t ReadU8();
    int32_t ReadI32();
    uint32_t ReadU32();
    float ReadF32();
    double ReadF64();
    SFVec3f ReadVec3();
    // A string of at most maxLength bytes.
    std::string ReadString(size_t maxLength = 4096);
    size_t Remaining() const { return m_size - m_pos; }
    size_t Position() const { return m_pos; }
    bool AtEnd() const { return m_pos >= m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
