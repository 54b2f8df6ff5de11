// The sources of the orb program (OrbShaders.cpp), apart from the renderer that compiles them.
#pragma once

// Every shader starts so; the number after CUTS says whether it tests for orbs cutting in.
extern const char* const kShaderHead;
extern const char* const kOrbVertexShader;
extern const char* const kOrbFragmentShader;
