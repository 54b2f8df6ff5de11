// Little-endian byte streams.
#include "engine/core/Archive.h"

#include <cstring>

#include "engine/core/QLException.h"

void CArchiveWriter::WriteBytes(const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}

void CArchiveWriter::WriteI32(int32_t v) { WriteU32(uint32_t(v)); }

void CArchiveWriter::WriteU32(uint32_t v)
{
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    WriteBytes(b, 4);
}

void CArchiveWriter::WriteF32(float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    WriteU32(u);
}

void CArchiveWriter::WriteF64(double v)
{
    uint64_t u;
    std::memcpy(&u, &v, 8);
    WriteU32(uint32_t(u));
    WriteU32(uint32_t(u >> 32));
}

void CArchiveWriter::WriteVec3(const SFVec3f& v)
{
    WriteF64(v.x);
    WriteF64(v.y);
    WriteF64(v.z);
}

void CArchiveWriter::WriteString(const std::string& s)
{
    WriteU32(uint32_t(s.size()));
    WriteBytes(s.data(), s.size());
}

void CArchiveReader::ReadBytes(void* out, size_t size)
{
    if (size > m_size - m_pos) throw CQLException("unexpected end of data");
    std::memcpy(out, m_data + m_pos, size);
    m_pos += size;
}

uint8_t CArchiveReader::ReadU8()
{
    uint8_t v;
    ReadBytes(&v, 1);
    return v;
}

int32_t CArchiveReader::ReadI32() { return int32_t(ReadU32()); }

uint32_t CArchiveReader::ReadU32()
{
    uint8_t b[4];
    ReadBytes(b, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

float CArchiveReader::ReadF32()
{
    const uint32_t u = ReadU32();
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}

double CArchiveReader::ReadF64()
{
    const uint64_t lo = ReadU32();
    const uint64_t hi = ReadU32();
    const uint64_t u = lo | hi << 32;
    double v;
    std::memcpy(&v, &u, 8);
    return v;
}

SFVec3f CArchiveReader::ReadVec3()
{
    SFVec3f v;
    v.x = ReadF64();
    v.y = ReadF64();
    v.z = ReadF64();
    return v;
}

std::string CArchiveReader::ReadString(size_t maxLength)
{
    const uint32_t n = ReadU32();
    if (n > maxLength || n > Remaining()) throw CQLException("string too long");
    std::string s(n, '\0');
    ReadBytes(s.data(), n);
    return s;
}
