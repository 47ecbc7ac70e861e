#include "grid/node_lines.h"

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "run/globals.h"
#include "run/run_state.h"

void MoveNodeLine(int i, int j, double x, double y) {
    static Array1<int>* const kLow[4] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
    static Array1<int>* const kHigh[4] = {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (int k = 0; k < 4; ++k) {
        // The column whose corner k stands on the node.
        const int ci = i - kColumnCornerDi[k], cj = j - kColumnCornerDj[k];
        if (ci < 0 || cj < 0 || ci > NoGridLinesX + 1 || cj > NoGridLinesY + 1) continue;
        int c = static_cast<int>(Gridz[ci][cj][0]);
        if (c <= 0 || c > NoCells) continue;
        const int low = (*kLow[k])[c];
        Px1[low] = x;
        Py1[low] = y;
        for (int steps = 0; c > 0 && c <= NoCells && steps < NoCells; ++steps, c = Ccellt[c]) {
            const int high = (*kHigh[k])[c];
            Px1[high] = x;
            Py1[high] = y;
        }
    }
}
