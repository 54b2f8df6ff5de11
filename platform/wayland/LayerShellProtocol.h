// The generated wlr-layer-shell client code, whose get_layer_surface has an argument named
// "namespace": renamed while the C header is read from C++.
#pragma once

#define namespace name_space
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
