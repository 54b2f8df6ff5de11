// Fuzz target: the universal string decoder. A string it accepts encodes back to a string that
// decodes to the same block; a refused one leaves the block untouched.
#include <cstring>
#include <string>

#include "universe/UniversalConstants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CUniversalConstants block, untouched;
    try {
        block.DecodeUniversalString(text);
    } catch (int code) {
        if ((code != 1 && code != 2) || std::memcmp(block.Bytes(), untouched.Bytes(), CUniversalConstants::kSize) != 0)
            __builtin_trap();
        if ((code == 1) != (size != 708)) __builtin_trap();
        return 0;
    }
    const std::string encoded = block.EncodeUniversalString();
    CUniversalConstants again;
    again.DecodeUniversalString(encoded);
    if (std::memcmp(block.Bytes(), again.Bytes(), CUniversalConstants::kSize) != 0) __builtin_trap();
    for (char c : encoded)
        if (c < 'A' || c > 'P') __builtin_trap();
    return 0;
}
