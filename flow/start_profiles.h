// Vertical start profiles of the water-quality components.
#pragma once

#include "run/params_g.h"

// Value at level z of a profile of `count` (level, value) pairs listed from
// the highest level down: linear between the two pairs around z, the end
// value above the first level and below the last one, and the one value of a
// single pair everywhere. No pairs give 0.
double ProfileValueAt(const ProfilePair* pairs, int count, double z);
