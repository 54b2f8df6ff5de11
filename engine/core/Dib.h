// A 32-bit RGBA picture in memory (rows top to bottom), loaded and saved through stb.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/FileIO.h"

class CArchiveReader;
class CArchiveWriter;

class CDIB {
public:
    // Largest side we accept from any file or stream.
    static constexpr int kMaxSide = 8192;
    // Largest image file we read.
    static constexpr uintmax_t kMaxFileSize = 64u << 20;

    CDIB() = default;
    CDIB(int width, int height);
    // Loads a BMP or PNG file; throws CQLException when it cannot.
    explicit CDIB(const std::string& path);
    CDIB(const CDIB& other) = default;
    CDIB& operator=(const CDIB& other) = default;
    virtual ~CDIB() = default;

    // Decodes a BMP or PNG image held in memory; throws CQLException when it cannot.
    static CDIB FromMemory(const uint8_t* data, size_t size);
    // The picture as a PNG or BMP file's bytes; empty for an empty picture or when encoding fails.
    std::vector<uint8_t> EncodePng() const;
    std::vector<uint8_t> EncodeBmp() const;
    // Encodes and hands the bytes to write; false when either fails.
    bool SavePng(const std::string& path, const FileWriter& write) const;
    bool SaveBmp(const std::string& path, const FileWriter& write) const;

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsEmpty() const { return m_width == 0 || m_height == 0; }
    uint8_t* Pixels() { return m_pixels.data(); }
    const uint8_t* Pixels() const { return m_pixels.data(); }
    uint32_t GetPixel(int x, int y) const;       // 0xAABBGGRR
    void SetPixel(int x, int y, uint32_t rgba);  // 0xAABBGGRR

    // Resamples to a new size (filtered); wrapEdges samples across the borders, for tiling textures.
    void FPRescale(int width, int height, bool wrapEdges = false);
    void VerticalFlip();
    // Makes the picture tile seamlessly by blending it with its own half-shifted copy.
    void TileablePict();
    // Whether both sides are powers of two, as texture tiling needs.
    bool IsTileable() const;
    // The power of two nearest to n, within 1..kMaxSide (ties go to the larger).
    static int GetClosestTilingSize(int n);

    // Model-file and universe-file stream: width, height, then the pixels; sizes are bounded on load,
    // and a failed load leaves the image as it was. An empty image cannot be stored.
    void Serialize(CArchiveWriter& ar) const;
    void Serialize(CArchiveReader& ar);

private:
    int m_width = 0, m_height = 0;
    std::vector<uint8_t> m_pixels;  // RGBA
};
