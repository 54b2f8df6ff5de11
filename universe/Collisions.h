// The per-frame collision pass of the universe.
#pragma once

// Lets orbs that share a cell of the scene's spatial map kick, bounce and exchange velocity.
void CollideOrbs();
