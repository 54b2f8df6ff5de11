// Building the orb scene: sphere model, built-in texture, orbs in and out of the scene's object table.
#pragma once

#include <vector>

class CShape;
class C2DTextureShader;
class COrb;

// Most orbs a population may hold; larger requests are cut to it.
constexpr int kMaxOrbs = 100000;

// Writes the box, loads the "sphere2" prototype and appends the built-in texture to g_groupTextures.
// A missing model file ends the process through g_universeContext.fatalExit; returns false only when
// that function returns (tests).
bool LoadSphereModel();
// Sphere model, root and spatial map, no orbs; returns the root (null when the model failed).
CShape* BuildEmptyUniverse();
// As above plus the orbs of each group: counts ends at -1 (or the list's end), textureIndices[k]
// indexes g_groupTextures for group k.
CShape* BuildUniverse(const std::vector<int>& counts, const std::vector<int>& textureIndices);

// Gives the orb its coloured material and puts it into g_orbs, under the root and into the
// object table. Throws CQLException (and changes nothing) when the scene has no spatial map.
void AddOrb(COrb* orb);
// Adds white untextured orbs or removes the last ones until n remain.
void SetOrbCount(int n);
void MoveOrbsToStart();
void RecordStartPositions();
// Removes every orb and empties the object table (before "New" and before a universe file loads).
void DeleteAllOrbs();
// The universe window is going away: every orb, the root and the group textures are freed.
void DestroyAllOrbs();

// Appends a texture to g_groupTextures, taking one reference; returns its index.
int AddGroupTexture(C2DTextureShader* texture);
void ReleaseGroupTextures();
