// The sand slides of the appended layer block (F 248 2, F 289 4 and 5):
// where the soil becomes unstable, the numbered slides and their shear
// surfaces, and their factors of safety.
#pragma once

// The layer block a slide operation works on and its bed cells (columns).
struct SlideBlock {
    int block = 0;  // 0: none
    int first = 1, last = 0;
};

// The last block (or the first, with `lastOne` false) whose layer-block
// flag is 1; 0 when there is none.
int LayerBlockNumber(bool lastOne);
// The last block (or the first, with `lastOne` false) whose layer-block flag
// is 1, with its column range; block 0 when there is none or the column
// arrays of the slides cannot hold it.
SlideBlock FindSlideBlock(bool lastOne);

// The distance in plan between the centres of cells a and b.
double PlanDistance(int a, int b);

// The top cell of c's column and the ground level of column (bed cell) b:
// the top face of its top cell.
int TopCellOf(int c);
double GroundLevel(int b);

// Three symmetric Gauss-Seidel sweeps of the plan equation held at the
// bottom cells (Cap, Cae, Caw, Can, Cas, Csource) over bed cells
// first..last into x (per bed cell), each new value at most `cap`.
void SolveBedEquation2D(double* x, int first, int last, double cap);

// The factor of safety of slide s (index into ActiveSlides) over its
// columns' shear-surface levels in BslideLevel; also stored in
// SlideAverage[s].
double ComputeSlideGeometry(int s);
