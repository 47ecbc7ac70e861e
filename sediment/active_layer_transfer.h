// Moving bed material from one grid node to another through the two bed
// layers of the columns around them (layer 1 the active layer over layer 0).
#pragma once

#include "run/params_letters.h"

// Volume (m3) per size taken by the erosion of one transfer, slot 0 their
// sum; during the deposit the slots hold the deposit's fractions.
extern double ErodedVolumeBySize[kMaxSizes + 1];

// Moves up to `amount` (m of node level) from node (fi, fj) to node
// (ti, tj). Columns b, c1, c2, c3 lie around the losing node and b, c1, c4,
// c5 around the gaining one (below 1: no column). The volume V actually
// eroded from the losing columns' active layers is what moves: the losing
// node drops by 4 V over the area of its columns, the gaining node rises by
// 4 V over the area of its own, and each gaining column takes V over that
// area as a deposit of the eroded mixture.
void UpdateActiveLayerForBedMove(int b, int c1, int c2, int c3, int c4, int c5, int fi, int fj, int ti, int tj,
                                 double amount);
// Takes up to `e` (m) off the active layer of column b, adding the volume
// per size to ErodedVolumeBySize; layer 0 refills the active layer as far as
// it can.
void ErodeActiveLayer(int b, double e);
// Lays `d` (m) of the mixture in ErodedVolumeBySize onto column b: the
// active layer grows up to ActiveLayerLimit and passes the rest down.
void DepositActiveLayer(int b, double d);
