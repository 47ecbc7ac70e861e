#include "surface/surface_regeneration.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "solver/solver_services.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"
#include "run/output_file.h"

void ClearSurfaceElementZero() {
    for (Array1<int>* a : {&Ccells, &Ccellw, &Ccelln, &Ccelle}) (*a)[0] = 0;
    Pres[0] = 0.0;
    if (Bpressure.exists()) Bpressure[0] = 0.0;
}

bool SurfaceResultsDue() { return ResultStartIteration != 0 && ResultStartIteration < Iter; }

void WriteSurfaceResults(const char* title) {
    std::snprintf(ResultTitle, sizeof ResultTitle, "%s", title);
    WriteResults();
}

void ShiftSurfaceNodes(double dh, bool flat, double flatLevel, bool skipLayerBlocks) {
    const int k = NoGridLinesZ;
    const size_t nj = Gridz.extent2();
    std::vector<char> moved(Gridz.extent1() * nj, 0);
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0 || r.depthAveraged != 0 || (skipLayerBlocks && r.layerBlock != 0)) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (!IsGridNode(i, j)) continue;
                char& done = moved[static_cast<size_t>(i) * nj + static_cast<size_t>(j)];
                if (done != 0) continue;
                done = 1;
                Gridz[i][j][k] = flat ? flatLevel : Gridz[i][j][k] + dh;
                Gridz[i][j][k + 1] = Gridz[i][j][k];
            }
        }
    }
}

void TraceSurfaceShift(int& headerFlag, double dh, int top, double level) {
    std::FILE* f = OpenPlainOutput("boogie-t", headerFlag != 0);
    if (f == nullptr) return;
    if (headerFlag == 0) {
        std::fputs("Time     dh    Czcenter   Ckdist   iSurfLocal  iPres  jPres   zval   ZRef\n", f);
        headerFlag = 1;
    }
    std::fprintf(f, "%lf %lf %lf %lf %d %d %d %lf %lf\n", stime, dh, Czcenter[top], Ckdist[top], top, iPres, jPres,
                 Gridz[iPres][jPres][NoGridLinesZ], level);
    std::fclose(f);
}

namespace {

void CopyFieldsToOld(const SurfaceRegeneration& how) {
    const int first = how.wholeCellRange ? 1 : FirstCell;
    const int last = how.wholeCellRange ? NoCells : LastCell;
    if (how.secondOld && Cu_old2.exists()) {
        for (int c = first; c <= last; ++c) {
            Cu_old2[c] = Cu_old[c];
            Cv_old2[c] = Cv_old[c];
            Cw_old2[c] = Cw_old[c];
        }
    }
    if (Cu_old.exists()) {
        for (int c = first; c <= last; ++c) {
            Cu_old[c] = Cu[c];
            Cv_old[c] = Cv[c];
            Cw_old[c] = Cw[c];
            Pres_old[c] = Pres[c];
            Ck_old[c] = Ck[c];
            Cepsilon_old[c] = Cepsilon[c];
        }
    }
    // The velocity-correction factor is carried too: without its old copy
    // every carried column would start the next pass with no pressure
    // smoothing in its fluxes.
    if (CinvAp_old.exists()) {
        for (int c = first; c <= last; ++c) CinvAp_old[c] = CinvAp[c];
    }
}

}  // namespace

void RegenerateUnderSurface(const SurfaceRegeneration& how) {
    CopyFieldsToOld(how);
    if (how.layerBlock) {
        AppendColumnLayerBlock(1);
    } else {
        Unstructure();
    }
    metric();
    UpdateWaterColumnsAfterRegrid();
    for (int c = 1; c <= NoCells; ++c) CinvAp[c] = 0.0;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    if (how.multigrid && MultigridChoice > 0 && NoBlocks >= 1 &&
        BlockTable[std::min(NoBlocks, kMaxBlocks)].depthAveraged == 0) {
        BuildMultigridLevels();
    }
    if (SurfaceResultsDue()) WriteSurfaceResults(how.title);
}
