// OpenGL's functions and names for engine/gl, from the loader the build provides: the loader that
// glad generates at build time where the build made one (Windows), else libepoxy (Linux).
#pragma once

#if __has_include(<glad/gl.h>)
#include <glad/gl.h>
#else
#include <epoxy/gl.h>
#endif
