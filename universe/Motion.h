// The per-frame motion pass of the universe.
#pragma once

// Moves every orb one frame (nothing while time is stopped) and records the top speed.
void MoveOrbs();
