// Model files: "NUMF", a format version, then (kind, object stream) pairs until the end.
#include "engine/core/ModelFile.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>

#include "engine/core/Archive.h"
#include "engine/core/FileIO.h"
#include "engine/core/Geometry.h"
#include "engine/core/PersistantObject.h"
#include "engine/core/QLException.h"
#include "engine/core/Shape.h"
#include "engine/core/Utf8Path.h"

namespace fs = std::filesystem;

namespace {
constexpr size_t kHeaderSize = sizeof(CUMF::kMagic) + 4;

CPersistantObject* NewObjectOfKind(uint32_t kind)
{
    switch (kind) {
    case kKindShape: return new CShape;
    case kKindGeometry: return new CGeometry;
    default: throw CQLException("model file: unknown object kind " + std::to_string(kind));
    }
}
}

// Only Close writes: a file dropped before it is never half written.
CUMF::~CUMF() = default;

void CUMF::Open(const std::string& path, uintmax_t maxSize)
{
    m_open = false;
    m_writing = false;
    m_pos = 0;
    m_out = CArchiveWriter();
    m_bytes = ReadWholeFile(path, maxSize);
    if (m_bytes.size() < kHeaderSize || std::memcmp(m_bytes.data(), kMagic, sizeof(kMagic)) != 0)
        throw CQLException("not a model file: " + path);
    CArchiveReader ar(m_bytes.data() + sizeof(kMagic), 4);
    const uint32_t version = ar.ReadU32();
    if (version != kFormatVersion)
        throw CQLException("model file has unsupported version " + std::to_string(version) + ": " + path);
    m_path = path;
    m_pos = kHeaderSize;
    m_open = true;
}

void CUMF::Create(const std::string& path, FileWriter write)
{
    const fs::path target = PathFromUtf8(path);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) throw CQLException("model file folder does not exist: " + Utf8FromPath(dir));
    m_path = path;
    m_write = std::move(write);
    m_writing = true;
    m_open = true;
    m_pos = 0;
    m_bytes.clear();
    m_out = CArchiveWriter();
    m_out.WriteBytes(kMagic, sizeof(kMagic));
    m_out.WriteU32(kFormatVersion);
}

CPersistantObject* CUMF::LoadObject()
{
    if (!m_open || m_writing) throw CQLException("model file is not open for reading");
    if (m_pos >= m_bytes.size()) return nullptr;
    CArchiveReader ar(m_bytes.data() + m_pos, m_bytes.size() - m_pos);
    std::unique_ptr<CPersistantObject> object;
    try {
        object.reset(NewObjectOfKind(ar.ReadU32()));
        object->Load(ar);
    } catch (const CQLException& e) {
        // Later objects cannot be found once the stream is out of step.
        m_pos = m_bytes.size();
        throw CQLException("damaged model file " + m_path + ": " + e.What());
    }
    m_pos += ar.Position();
    CPersistantObject* raw = object.get();
    CPersistantObject::DefaultCatalog()->Adopt(object.release());
    return raw;
}

void CUMF::StoreObject(const CPersistantObject& object)
{
    if (!m_open || !m_writing) throw CQLException("model file is not open for writing");
    m_out.WriteU32(uint32_t(object.Kind()));
    object.Store(m_out);
}

void CUMF::Close()
{
    const bool writing = m_open && m_writing;
    m_open = false;
    m_writing = false;
    m_pos = 0;
    m_bytes = std::vector<uint8_t>();
    CArchiveWriter out;
    std::swap(out, m_out);
    FileWriter write;
    std::swap(write, m_write);
    if (!writing) return;
    if (!write) throw CQLException("model file has no writer: " + m_path);
    write(m_path, out.Bytes());
}

void CUMF::Read(void* out, size_t size)
{
    if (!m_open || m_writing) throw CQLException("model file is not open for reading");
    CArchiveReader ar(m_bytes.data() + m_pos, m_bytes.size() - m_pos);
    ar.ReadBytes(out, size);
    m_pos += size;
}

void CUMF::Write(const void* data, size_t size) { WriteStream().WriteBytes(data, size); }

CArchiveReader CUMF::ReadStream() const
{
    if (!m_open || m_writing) throw CQLException("model file is not open for reading");
    return CArchiveReader(m_bytes.data() + m_pos, m_bytes.size() - m_pos);
}

CArchiveWriter& CUMF::WriteStream()
{
    if (!m_open || !m_writing) throw CQLException("model file is not open for writing");
    return m_out;
}
