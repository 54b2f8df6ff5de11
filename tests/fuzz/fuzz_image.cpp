// Fuzz target: pictures from BMP or PNG bytes (texture files) and from the stored image stream
// (universe files). The first byte picks which; an accepted picture is always whole.
#include "engine/core/Archive.h"
#include "engine/core/Dib.h"
#include "engine/core/QLException.h"

namespace {
void CheckWhole(const CDIB& dib)
{
    if (dib.GetWidth() < 1 || dib.GetHeight() < 1 || dib.GetWidth() > CDIB::kMaxSide || dib.GetHeight() > CDIB::kMaxSide)
        __builtin_trap();
    // Every pixel can be read: the buffer holds the whole picture.
    volatile uint32_t sum = dib.GetPixel(dib.GetWidth() - 1, dib.GetHeight() - 1);
    (void)sum;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    try {
        if (data[0] & 1) {
            CArchiveReader ar(data + 1, size - 1);
            CDIB dib;
            dib.Serialize(ar);
            CheckWhole(dib);
        } else {
            CDIB dib = CDIB::FromMemory(data + 1, size - 1);
            CheckWhole(dib);
            dib.VerticalFlip();
        }
    } catch (const CQLException&) {
    }
    return 0;
}
