// Exchanges of a component with the bed, the air and the cells above and
// below, added after its kinetics.
#pragma once

#include "quality/component_terms.h"

// The Q types added after the kinetics, in the order they are added.
inline constexpr int kLateSourceTypes[] = {2030, 1060, 123, 1102, 122, 11, 2149};

// The terms of record `r` (one of kLateSourceTypes; others add nothing).
void AddExchangeTerms(const QDataSetRecord& r, const ComponentStep& s);
