// The second-order parts of the coefficient passes, for the pass that hands
// over to them and for their tests.
#pragma once

// True when the equation being assembled takes second-order upwind
// coefficients with far coefficients (K 6 = 1) and the far arrays exist.
bool SecondOrderEquation();

// The diffusion loop of the second-order branch, one call per chunk: the
// near slot of each side gets the conductance, the far slot 0.
void SecondOrderDiffusionRange(int first, int last);
// Its convection loop over the whole range, once, after every chunk of the
// diffusion loop: it adds into slots that neighbouring surfaces own.
void SecondOrderConvection(int first, int last);

// The limiter of K 6 value `scheme` (10..19) at the ratio r of successive
// differences; 0 (no correction) for any other value.
double TvdLimiter(int scheme, double r);
