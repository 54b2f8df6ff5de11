// Conversions between the constants block and the options dialog's controls.
#pragma once

#include "universe/UniversalConstants.h"

// Every slider runs 0..100; check boxes are on/off; combo boxes hold an index.
struct SOptionsControls {
    int recoilLoss = 0;         // "Recoil Energy Loss"
    int propagationLoss = 0;    // "Propagation Energy Loss"
    int collisionDiameter = 0;  // "Collision Diameter"
    int gravity = 0;            // "Gravity"
    int whitePoint = 0;         // white point of "Color coding"
    int orbs = 0;               // "# Orbs"
    int boundaryEnergy = 0;     // "Boundary Energy"
    int packingEnergy = 0;      // "Packing Energy"
    int minimumAngle = 0;       // "Minimum Angle"
    int tidalForce = 0;         // "Tidal Force"
    int maxEnergy = 0;          // "Maximum Energy"
    int throwForce = 0;         // "Throw Force"
    bool flashCollisions = false;
    bool spinning = false;
    bool scaledColor = false;
    bool dynamicColor = false;
    bool energyColorShifting = false;
    int gravityType = 0;    // 0 "Black Hole", 1 "Gravity Field"
    int boundaryShape = 0;  // 0 "Cubic", 1 "Spherical"
};

// int(v) for a slider, truncated toward zero and kept within 0..100 (NaN gives 0),
// so that any pasted block shows a valid dialog.
int SliderPosition(double v);

// What the dialog shows for the block.
SOptionsControls ControlsFromConstants(const CUniversalConstants& c);

// The orb count of a "# Orbs" slider position: int(s x 0.01 x 250), at least 1.
int OrbCountFromSlider(int s);

// Writes the controls but "# Orbs" into the block, in the dialog's order; returns the orb count
// the "# Orbs" slider asks for (the caller applies it). With given (what the dialog showed at
// first), only the controls that differ from it are written: a slider's coarse step would
// otherwise replace a value nobody touched.
int ApplyControls(const SOptionsControls& controls, CUniversalConstants& c, const SOptionsControls* given = nullptr);
