// RGBA pictures: decoding and encoding through stb, resampling, flipping and seamless tiling.
#include "engine/core/Dib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

#include "engine/core/Archive.h"
#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"

namespace {
bool IsValidSide(int n) { return n >= 1 && n <= CDIB::kMaxSide; }

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// stb also reads formats without a signature (TGA), which would take garbage for a picture.
bool IsBmpOrPng(const uint8_t* data, size_t size)
{
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return true;
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

uint32_t LoadLE(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// stb reads zeros past the end of a buffer, so a cut BMP would decode with a black tail:
// make sure the file holds all the pixel rows its header declares.
bool BmpHoldsItsPixels(const uint8_t* data, size_t size)
{
    if (data[0] != 'B' || data[1] != 'M') return true;  // PNG checks its own chunks
    if (size < 26) return false;
    const uint64_t offset = LoadLE(data + 10, 4);
    const uint32_t headerSize = LoadLE(data + 14, 4);
    int64_t width, height;
    uint32_t bits, compression = 0;
    if (headerSize == 12) {
        width = LoadLE(data + 18, 2);
        height = LoadLE(data + 20, 2);
        bits = LoadLE(data + 24, 2);
    } else {
        if (size < 34) return false;
        width = int32_t(LoadLE(data + 18, 4));
        height = int32_t(LoadLE(data + 22, 4));
        bits = LoadLE(data + 28, 2);
        compression = LoadLE(data + 30, 4);
    }
    // Only uncompressed rows have a size we can check; stb refuses run-length data itself.
    if (compression != 0 && compression != 3) return true;
    if (width <= 0 || width > CDIB::kMaxSide || height == 0 || std::abs(height) > CDIB::kMaxSide) return false;
    const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
    return offset + stride * uint64_t(std::abs(height)) <= size;
}

uint32_t LoadBE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// stb grows its buffer to whatever length a PNG chunk declares before it looks for the data, so a
// few hundred bytes could make it ask for gigabytes: every chunk up to the end chunk must lie
// within the file.
bool PngChunksFit(const uint8_t* data, size_t size)
{
    if (data[0] != 0x89) return true;  // BMP checks its own rows
    size_t pos = 8;
    while (pos < size) {
        // Length, type and check value frame every chunk.
        if (size - pos < 12) return false;
        const uint64_t length = LoadBE32(data + pos);
        if (length > size - pos - 12) return false;
        const bool end = std::memcmp(data + pos + 4, "IEND", 4) == 0;
        pos += 12 + size_t(length);
        if (end) break;
    }
    return true;
}

void AppendToVector(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

// Smooth weight over 0..n-1: tiny at both borders, 1 in the middle, the same at i and n-1-i.
float SeamWeight(int i, int n)
{
    const double s = std::sin(std::numbers::pi * (i + 0.5) / n);
    return float(s * s);
}

// Blends every row (horizontal) or column with its copy shifted by half the size along that axis.
// The shifted copy is continuous across the border and dominates there, so the result wraps
// without a seam; the copy's own seam lies in the middle, where the original dominates.
void BlendWithHalfShift(std::vector<uint8_t>& px, int w, int h, bool horizontal)
{
    const int n = horizontal ? w : h;
    if (n < 2) return;
    const std::vector<uint8_t> src = px;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int sx = horizontal ? (x + w / 2) % w : x;
            const int sy = horizontal ? y : (y + h / 2) % h;
            const float a = SeamWeight(horizontal ? x : y, n);
            uint8_t* out = &px[(size_t(y) * w + x) * 4];
            const uint8_t* own = &src[(size_t(y) * w + x) * 4];
            const uint8_t* shifted = &src[(size_t(sy) * w + sx) * 4];
            for (int c = 0; c < 4; ++c) out[c] = uint8_t(std::lround(a * own[c] + (1 - a) * shifted[c]));
        }
    }
}
}

CDIB::CDIB(int width, int height)
{
    if (!(width == 0 && height == 0) && (!IsValidSide(width) || !IsValidSide(height)))
        throw CQLException("image size out of range");
    m_width = width;
    m_height = height;
    m_pixels.assign(size_t(width) * height * 4, 0);
}

CDIB::CDIB(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxFileSize);
    try {
        *this = FromMemory(bytes.data(), bytes.size());
    } catch (const CQLException& e) {
        throw CQLException(path + ": " + e.What());
    }
}

CDIB CDIB::FromMemory(const uint8_t* data, size_t size)
{
    if (!data || !IsBmpOrPng(data, size) || size > size_t(kMaxFileSize))
        throw CQLException("not a BMP or PNG image");
    if (!BmpHoldsItsPixels(data, size)) throw CQLException("bitmap truncated");
    if (!PngChunksFit(data, size)) throw CQLException("PNG chunk runs past the end of the file");
    const int len = int(size);
    int w = 0, h = 0, comp = 0;
    // Check the declared size before stb allocates for it.
    if (!stbi_info_from_memory(data, len, &w, &h, &comp) || !IsValidSide(w) || !IsValidSide(h))
        throw CQLException("image header damaged or size out of range");
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load_from_memory(data, len, &w, &h, &comp, 4),
                                                     stbi_image_free);
    if (!pixels || !IsValidSide(w) || !IsValidSide(h)) throw CQLException("image data damaged");
    CDIB dib;
    dib.m_width = w;
    dib.m_height = h;
    dib.m_pixels.assign(pixels.get(), pixels.get() + size_t(w) * h * 4);
    return dib;
}

std::vector<uint8_t> CDIB::EncodePng() const
{
    std::vector<uint8_t> bytes;
    if (IsEmpty() ||
        !stbi_write_png_to_func(AppendToVector, &bytes, m_width, m_height, 4, m_pixels.data(), m_width * 4))
        return {};
    return bytes;
}

std::vector<uint8_t> CDIB::EncodeBmp() const
{
    std::vector<uint8_t> bytes;
    if (IsEmpty() || !stbi_write_bmp_to_func(AppendToVector, &bytes, m_width, m_height, 4, m_pixels.data()))
        return {};
    return bytes;
}

namespace {
bool Save(const std::string& path, const std::vector<uint8_t>& bytes, const FileWriter& write)
{
    if (bytes.empty()) return false;
    try {
        write(path, bytes);
    } catch (const CQLException&) {
        return false;
    }
    return true;
}
}

bool CDIB::SavePng(const std::string& path, const FileWriter& write) const { return Save(path, EncodePng(), write); }

bool CDIB::SaveBmp(const std::string& path, const FileWriter& write) const { return Save(path, EncodeBmp(), write); }

uint32_t CDIB::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) throw CQLException("pixel outside the image");
    const uint8_t* p = &m_pixels[(size_t(y) * m_width + x) * 4];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void CDIB::SetPixel(int x, int y, uint32_t rgba)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) throw CQLException("pixel outside the image");
    uint8_t* p = &m_pixels[(size_t(y) * m_width + x) * 4];
    p[0] = uint8_t(rgba);
    p[1] = uint8_t(rgba >> 8);
    p[2] = uint8_t(rgba >> 16);
    p[3] = uint8_t(rgba >> 24);
}

void CDIB::FPRescale(int width, int height, bool wrapEdges)
{
    if (!IsValidSide(width) || !IsValidSide(height)) throw CQLException("rescale size out of range");
    if (IsEmpty()) throw CQLException("cannot rescale an empty image");
    if (width == m_width && height == m_height) return;
    std::vector<uint8_t> out(size_t(width) * height * 4);
    // Textures are sRGB: filtering in linear light keeps mixed colours from darkening.
    const stbir_edge edge = wrapEdges ? STBIR_EDGE_WRAP : STBIR_EDGE_CLAMP;
    if (!stbir_resize_uint8_srgb_edgemode(m_pixels.data(), m_width, m_height, 0, out.data(), width, height, 0, 4, 3,
                                          0, edge))
        throw CQLException("rescale failed");
    m_width = width;
    m_height = height;
    m_pixels.swap(out);
}

void CDIB::VerticalFlip()
{
    const size_t row = size_t(m_width) * 4;
    for (int top = 0, bottom = m_height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(m_pixels.begin() + top * row, m_pixels.begin() + (top + 1) * row,
                         m_pixels.begin() + bottom * row);
}

void CDIB::TileablePict()
{
    // One axis at a time: a single diagonal shift would put the copy's seam on the original's border.
    BlendWithHalfShift(m_pixels, m_width, m_height, true);
    BlendWithHalfShift(m_pixels, m_width, m_height, false);
}

bool CDIB::IsTileable() const { return IsPowerOfTwo(m_width) && IsPowerOfTwo(m_height); }

int CDIB::GetClosestTilingSize(int n)
{
    if (n <= 1) return 1;
    if (n >= kMaxSide) return kMaxSide;
    int lo = 1;
    while (lo * 2 <= n) lo *= 2;
    const int hi = lo * 2;
    return n - lo < hi - n ? lo : hi;
}

void CDIB::Serialize(CArchiveWriter& ar) const
{
    if (IsEmpty()) throw CQLException("cannot store an empty image");
    ar.WriteU32(uint32_t(m_width));
    ar.WriteU32(uint32_t(m_height));
    ar.WriteBytes(m_pixels.data(), m_pixels.size());
}

void CDIB::Serialize(CArchiveReader& ar)
{
    const uint32_t w = ar.ReadU32();
    const uint32_t h = ar.ReadU32();
    if (w < 1 || h < 1 || w > uint32_t(kMaxSide) || h > uint32_t(kMaxSide))
        throw CQLException("stored image size out of range");
    const size_t bytes = size_t(w) * h * 4;
    if (bytes > ar.Remaining()) throw CQLException("stored image truncated");
    std::vector<uint8_t> pixels(bytes);
    ar.ReadBytes(pixels.data(), bytes);
    m_width = int(w);
    m_height = int(h);
    m_pixels.swap(pixels);
}
