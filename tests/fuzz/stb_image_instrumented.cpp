// The picture decoder built into the image fuzz target from its header, so the fuzzer sees its
// branches and the sanitizers its memory (the system's libstb is built without either). The
// program's own definitions take precedence over the shared library's.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
