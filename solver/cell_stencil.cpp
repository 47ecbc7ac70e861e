#include "solver/cell_stencil.h"

#include <algorithm>
#include <cstdint>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_k.h"
#include "run/region_fatal.h"
#include "run/run_state.h"

namespace {

size_t RowWidth(const Array2<int>& list, const Array2<double>& a, const Array2<double>& afar) {
    size_t w = std::min(list.extent2(), a.extent2());
    return afar.exists() ? std::min(w, afar.extent2()) : w;
}

}  // namespace

int CurrentConvectionScheme() {
    return Equation >= 0 && Equation < kEquationTableSize ? ConvectionScheme[Equation] : 0;
}

bool PrepareCellRange(int& first, int last, size_t cells) {
    first = std::max(first, 1);
    if (last < first) return false;
    if (static_cast<size_t>(last) < cells) return true;
    FailAnywhere(-1, "Error, cells %d to %d lie outside the equation arrays, which end at cell %zu\n", first, last,
                 cells > 0 ? cells - 1 : 0);
    return false;
}

CellStencil CurrentCellStencil(bool far) {
    const Array1<int>* next[kDirections] = {&Ccelle, &Ccellw, &Ccelln, &Ccells, &Ccellt, &Ccellb};
    const Array1<double>* near[kDirections] = {&Cae, &Caw, &Can, &Cas, &Cat, &Cab};
    const Array1<double>* farther[kDirections] = {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb};
    CellStencil s{};
    s.ap = Cap.data();
    s.source = Csource.data();
    s.cells = std::min(Cap.size(), Csource.size());
    size_t farCells = SIZE_MAX;
    for (int d = 0; d < kDirections; ++d) {
        s.next[d] = next[d]->data();
        s.a[d] = near[d]->data();
        s.cells = std::min({s.cells, next[d]->size(), near[d]->size()});
        farCells = std::min(farCells, farther[d]->size());
    }
    if (far && farCells > 0) {
        for (int d = 0; d < kDirections; ++d) s.a[kDirections + d] = farther[d]->data();
        s.cells = std::min(s.cells, farCells);
    }
    return s;
}

SplitFaces CurrentSplitFaces(const CellStencil& s) {
    SplitFaces sf{};
    struct Source {
        const Array1<int>& count;
        const Array2<int>& list;
        const Array2<double>& a;
        const Array2<double>& afar;
        Direction d;
    };
    const Source sources[4] = {
        {Cnocellse, CnbMultiE, CaMultiE, CbMultiE, kEast},
        {Cnocellsw, CnbMultiW, CaMultiW, CbMultiW, kWest},
        {Cnocellss, CnbMultiS, CaMultiS, CbMultiS, kSouth},
        {Cnocellsn, CnbMultiN, CaMultiN, CbMultiN, kNorth},
    };
    sf.present = true;
    for (int i = 0; i < 4; ++i) {
        const Source& src = sources[i];
        const bool needFar = s.far();
        if (src.count.size() < s.cells || src.list.extent1() < s.cells || src.a.extent1() < s.cells ||
            (needFar && src.afar.extent1() < s.cells)) {
            sf.present = false;
        }
        sf.side[i] = {src.count.data(), src.list.data(), src.a.data(), src.afar.data(),
                      RowWidth(src.list, src.a, src.afar), s.next[src.d], s.a[src.d], s.a[kDirections + src.d]};
    }
    return sf;
}

bool SplitFacesInRange(const SplitFaces& sf, int first, int last) {
    if (!sf.present) return false;
    for (const SplitSide& d : sf.side) {
        for (int c = first; c <= last; ++c) {
            if (d.count[c] != 0) return true;
        }
    }
    return false;
}
