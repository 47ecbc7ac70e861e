#pragma once

#include "run/globals.h"

template <typename F>
void ForEachCellOfColumn(int top, F f) {
    for (int c = top, steps = 0; c > 0 && c <= NoCells && steps < NoCells; c = Ccellb[c], ++steps) f(c);
}
