#include "solver/cell_stencil.h"

#include <initializer_list>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_k.h"
#include "run/region_fatal.h"
#include "run/run_state.h"

namespace {

template <class T>
size_t SmallestSize(std::initializer_list<const Array1<T>*> arrays) {
    size_t n = SIZE_MAX;
    for (const Array1<T>* a : arrays) n = std::min(n, a->size());
    return n;
}

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
    CellStencil s{};
    s.e = Ccelle.data();
    s.w = Ccellw.data();
    s.n = Ccelln.data();
    s.s = Ccells.data();
    s.t = Ccellt.data();
    s.b = Ccellb.data();
    s.ae = Cae.data();
    s.aw = Caw.data();
    s.an = Can.data();
    s.as = Cas.data();
    s.at = Cat.data();
    s.ab = Cab.data();
    s.ap = Cap.data();
    s.source = Csource.data();
    s.cells = std::min(SmallestSize<int>({&Ccelle, &Ccellw, &Ccelln, &Ccells, &Ccellt, &Ccellb}),
                       SmallestSize<double>({&Cae, &Caw, &Can, &Cas, &Cat, &Cab, &Cap, &Csource}));
    const size_t farCells = SmallestSize<double>({&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb});
    if (far && farCells > 0) {
        s.aee = Caee.data();
        s.aww = Caww.data();
        s.ann = Cann.data();
        s.ass = Cass.data();
        s.att = Catt.data();
        s.abb = Cabb.data();
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
        const int* next;
        const double* anear;
        const double* anearfar;
    };
    const Source sources[4] = {
        {Cnocellse, CnbMultiE, CaMultiE, CbMultiE, s.e, s.ae, s.aee},
        {Cnocellsw, CnbMultiW, CaMultiW, CbMultiW, s.w, s.aw, s.aww},
        {Cnocellss, CnbMultiS, CaMultiS, CbMultiS, s.s, s.as, s.ass},
        {Cnocellsn, CnbMultiN, CaMultiN, CbMultiN, s.n, s.an, s.ann},
    };
    sf.present = true;
    for (int i = 0; i < 4; ++i) {
        const Source& src = sources[i];
        const bool needFar = s.aee != nullptr;
        if (src.count.size() < s.cells || src.list.extent1() < s.cells || src.a.extent1() < s.cells ||
            (needFar && src.afar.extent1() < s.cells)) {
            sf.present = false;
        }
        sf.side[i] = {src.count.data(), src.list.data(), src.a.data(), src.afar.data(),
                      RowWidth(src.list, src.a, src.afar), src.next, src.anear, src.anearfar};
    }
    return sf;
}
