// Cells that every face drains: one face is turned to carry a little water
// in, so that the cell's equations keep an inflow.
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

// True when no face of c carries water into it (the west, south and lower
// cell being the first cell of an interior face). NaN fails every test.
bool DrainsEverywhere(int c) {
    return Fflux[Csurfb[c]] <= 0.0 && Fflux[Csurft[c]] >= 0.0 && Fflux[Csurfs[c]] <= 0.0 &&
           Fflux[Csurfn[c]] >= 0.0 && Fflux[Csurfe[c]] >= 0.0 && Fflux[Csurfw[c]] <= 0.0;
}

}  // namespace

void CheckFlowDirection(int pass, int first, int last) {
    for (int c = first; c <= last; ++c) {
        if (CdischargeGroup[c] != 0 || !DrainsEverywhere(c)) continue;
        const struct {
            int neighbour, surface;
            char letter;
        } sides[] = {{Ccells[c], Csurfs[c], 's'}, {Ccellw[c], Csurfw[c], 'w'}, {Ccelln[c], Csurfn[c], 'n'},
                     {Ccelle[c], Csurfe[c], 'e'}, {Ccellb[c], Csurfb[c], 'b'}, {Ccellt[c], Csurft[c], 't'}};
        for (const auto& side : sides) {
            if (side.neighbour <= 0) continue;
            Fflux[side.surface] *= -0.01;
            if (pass == NoIterPerStep) {
                const int bed = Cbedcell[c];
                LogAppend("WarningSC, Iter %d, [%d,%d], corrected direction of flow%c(%d)\n", Iter, Bkooi[bed],
                          Bkooj[bed], side.letter, c);
            }
            break;
        }
    }
}
