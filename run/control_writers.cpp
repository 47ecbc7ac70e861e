// Writers of configuration files in the syntax of `control`: `control.new`,
// the part of this run's configuration a user may copy back after a failed
// grid generation, and a minimal `control` for a structured grid.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/run_services.h"

namespace {

// Reals inside their window count as the default and are left out.
bool Outside(double v, double low, double high) { return v < low || v > high; }

std::string TitleText() { return std::string(Title + 1, strnlen(Title + 1, kTitleSize - 1)); }

// Stored free-text bytes as they were read, so the reader stores them again
// in the same places. A slot that no data set filled is written as a blank:
// it runs nothing either way and keeps the file plain text.
void WriteStoredBytes(FILE* fp, const char* bytes, int count) {
    for (int k = 0; k < count; ++k) std::fputc(bytes[k] != '\0' ? bytes[k] : ' ', fp);
}

// The whole file is written before it replaces an older one, so a failed
// write leaves no half-written configuration behind.
void WriteConfigurationFile(const char* name, const std::function<void(FILE*)>& body) {
    OutputFile out(name);
    if (out) {
        body(out.get());
        if (out.commit()) return;
        LogAppend("Error, cannot write file '%s'\n", name);
    } else {
        LogAppend("Error, cannot open file '%s'\n", name);
    }
    SetStatusText("cannot open file '%s' ", name);
    EndRun(-4);
}

void WriteFDataSets(FILE* fp) {
    if (DebugOption == 'C' || DebugOption == 'D') std::fprintf(fp, "F 1 %c\n", DebugOption);
    // RunChoice[0] holds the byte that followed the number when it was read,
    // normally the blank, so nothing goes between the number and the bytes.
    std::fputs("F 2", fp);
    WriteStoredBytes(fp, RunChoice, kRunChoiceSize);
    std::fputs("        run choice\n", fp);
    if (Outside(F4Value1, 0.499, 0.501) || NoSedIterations != 500 || Outside(F4Value3, 0.0099, 0.0101)) {
        std::fprintf(fp, "F 4 %lf %d %lf    morphology data\n", F4Value1, NoSedIterations, F4Value3);
    }
    if (Outside(VanRijnCoef, 0.0149, 0.0151) || Outside(VanRijnExpT, 1.49, 1.51) || Outside(VanRijnExpD, 0.29, 0.31)) {
        std::fprintf(fp, "F 6 %lf %lf %lf\n", VanRijnCoef, VanRijnExpT, VanRijnExpD);
    }
    std::fputs("F 7", fp);
    WriteStoredBytes(fp, RunOptions + 1, 8);
    std::fputs("   run options\n", fp);
    if (Outside(F8Value, 0.09, 0.11)) std::fprintf(fp, "F 8 %lf\n", F8Value);
    if (Outside(F9Value, 0.99, 1.01)) std::fprintf(fp, "F 9 %lf\n", F9Value);
    if (SedFormula != 'R') std::fprintf(fp, "F 10 %c   sediment formula\n", SedFormula);
    if (Outside(SedRelativeDensity, 2.64, 2.66) || Outside(CriticalShields, 0.046, 0.048)) {
        std::fprintf(fp, "F 11 %lf %lf\n", SedRelativeDensity, CriticalShields);
    }
    if (Outside(F12Value, 0.99, 1.01)) std::fprintf(fp, "F 12 %lf\n", F12Value);
    std::fprintf(fp, "F 16 %lf   roughness in meters\n", WallRoughness);
    // No line end: the next data set follows on the same line.
    if (TimeStep > 1e-10) std::fprintf(fp, "F 17 %lf time step in seconds", TimeStep);
    if (Outside(RhieChowRelax, 0.99, 1.01)) std::fprintf(fp, "F 21 %lf rhiechow relaxation\n", RhieChowRelax);
    if (F23Value1 > 0) std::fprintf(fp, "F 23 %lf %lf accellerated deposition\n", F23Value1, F23Value2);
    if (F7PGOption == 1) {
        std::fprintf(fp, "F 25 %lf %lf %lf %lf %d\n", F25Value1, F25Value2, F25Value3, F25Value4, F25Int5);
    }
    if (Outside(BedSolidFraction, 0.499, 0.501)) std::fprintf(fp, "F 26 %lf\n", BedSolidFraction);
    if (F27Int == 1) std::fputs("F 27 1\n", fp);
    if (std::none_of(F30Values, F30Values + 6, [](int v) { return v == 0; })) {
        std::fprintf(fp, "F 30 %d %d %d %d %d %d\n", F30Values[0], F30Values[1], F30Values[2], F30Values[3],
                     F30Values[4], F30Values[5]);
    }
    if (TimeStep > 1e-20) std::fprintf(fp, "F 33 %lf %d\n", TimeStep, NoIterPerStep);
    if (FreeSurfaceOption != 0) std::fprintf(fp, "F 36 %d free surface option\n", FreeSurfaceOption);
    if (FlagTSC != 0) std::fprintf(fp, "F 37 %d transient sediment computation\n", FlagTSC);
}

void WriteVerticalDistribution(FILE* fp) {
    std::fputs("G 3", fp);
    for (int k = 1; k <= std::min(NoGridLinesZ, kZdistribSize - 1); ++k) std::fprintf(fp, " %lf", zdistrib[k]);
}

void WriteGDataSets(FILE* fp) {
    std::fprintf(fp, "G 1 %d %d %d %d    grid and array sizes\n", NoGridLinesX, NoGridLinesY, NoGridLinesZ, NoSizes);
    WriteVerticalDistribution(fp);
    std::fputs("  vertical grid distribution\n", fp);
    if (ReferenceCell > 0) {
        std::fprintf(fp, "G 6 %d %d %d %lf %lf free surface parameters\n", ReferenceCell, ReferenceCell2,
                     ReferenceCellGroup, SurfaceRelaxation, SurfaceUpdateResidual);
    }
    for (int g = 1; g <= std::min(NoG7Records, kG7Capacity); ++g) {
        const G7Record& r = G7Records[g];
        std::fprintf(fp, "G 7 %d %d %d %d %d %d %d %d %lf %lf %lf %lf\n", r.ivalue[0], r.ivalue[1], r.ivalue[2],
                     r.ivalue[3], r.ivalue[4], r.ivalue[5], r.ivalue[6], r.ivalue[7], r.rvalue[0], r.rvalue[1],
                     r.rvalue[2], r.rvalue[3]);
    }
    for (int g = 1; g <= std::min(NoInitialValueSets, kG18Capacity); ++g) {
        const double* v = InitialValueSets[g];
        std::fprintf(fp, "G 18 %lf %lf %lf %lf %lf %lf\n", v[1], v[2], v[3], v[4], v[5], v[6]);
    }
    for (int g = 1; g <= std::min(NoG12Records, kG12Capacity); ++g) {
        std::fprintf(fp, "G 12 %d", G12Records[g].group);
        for (int s = 1; s <= std::min(NoSizes, kMaxSizes); ++s) std::fprintf(fp, " %lf", G12Records[g].concentration[s]);
        std::fputc('\n', fp);
    }
    for (int g = 1; g <= std::min(NoG13Regions, kG13Capacity); ++g) {
        const G13Region& r = G13Regions[g];
        std::fprintf(fp, "G 13 %d %d %d %d %d %d %d\n", r.kind, r.iFirst, r.iLast, r.jFirst, r.jLast, r.kFirst,
                     r.kLast);
    }
}

void WriteSizes(FILE* fp) {
    const int sizes = std::min(NoSizes, kMaxSizes);
    for (int s = 1; s <= sizes; ++s) {
        if (Diameter[s] > 1e-9) std::fprintf(fp, "S %d %lf %lf\n", s, Diameter[s], FallVelocity[s]);
    }
    for (int s = 1; s <= sizes; ++s) {
        if (Diameter[s] > 1e-9) std::fprintf(fp, "I %d %lf\n", s, IValues[s]);
    }
}

void WriteGridLineList(FILE* fp) {
    const int count = std::clamp(NoW2Values, 0, kW2Values - 1);
    std::fprintf(fp, "W 2 %d", count);
    for (int k = 1; k <= count; ++k) std::fprintf(fp, " %d", W2Values[k]);
    std::fputc('\n', fp);
}

void WriteWDataSets(FILE* fp) {
    std::fprintf(fp, "W 1 %lf %lf %lf\n", StricklerCoefficient, W1SecondValue, InitialWaterLevel);
    WriteGridLineList(fp);
    for (int w = 1; w <= std::min(MWallNo, kMaxMWalls); ++w) {
        const MWallRecord& r = MWall[w];
        std::fprintf(fp, "W 4 %d %d %d %d %d %d %d\n", r.dir, r.posneg, r.node, r.from1, r.to1, r.from2, r.to2);
    }
    for (int n = 1; n <= std::min(NoFixedPoints, kFixedPointSlots - 1); ++n) {
        std::fprintf(fp, "W 6 %d %d\n", FixedPointI[n], FixedPointJ[n]);
    }
    for (int n = 1; n <= std::min(NoAttractors, kMaxAttractors); ++n) {
        const AttractorRecord& a = Attractors[n];
        std::fprintf(fp, "W 7 %d %d %d %lf %lf\n", a.type, a.i, a.j, a.amplitude, a.decay);
    }
}

void WriteKDataSets(FILE* fp) {
    std::fprintf(fp, "K 1 %d %d\n", iterGlobalMax, SurfaceUpdateInterval);
    std::fprintf(fp, "K 2 %d %d\n", K2Int1, SurfaceUpdateFlag);
    std::fputs("K 3 ", fp);
    for (int e = 1; e <= kKEquations; ++e) std::fprintf(fp, "%lf ", RelaxationFactors[e]);
    std::fputc('\n', fp);
    const struct {
        const char* head;
        const int* table;
    } ints[] = {{"K 4 ", SolverSweeps}, {"K 5 ", SolverAcceleration}, {"K 6 ", ConvectionScheme}};
    for (const auto& k : ints) {
        std::fputs(k.head, fp);
        for (int e = 1; e <= kKEquations; ++e) std::fprintf(fp, "%d ", k.table[e]);
        std::fputc('\n', fp);
    }
}

void WriteControlNewText(FILE* fp) {
    std::fprintf(fp, "T   %s                              title field\n", TitleText().c_str());
    WriteFDataSets(fp);
    WriteGDataSets(fp);
    std::fprintf(fp, "P 2 %lf %lf %lf %lf %lf\n", P2Value1, P2Value2, P2Value3, P2Value4, P2Value5);
    std::fprintf(fp, "P 3 %d %d %d %d \n", P3Int1, PlanNumber, PlanCellLevel, P3Int4);
    WriteSizes(fp);
    WriteWDataSets(fp);
    WriteKDataSets(fp);
}

void WriteMinimalControlText(FILE* fp) {
    std::fprintf(fp, "T   %s                             title field \n", TitleText().c_str());
    std::fprintf(fp, "G 1 %d %d %d %d     grid and array sizes\n", NoGridLinesX, NoGridLinesY, NoGridLinesZ, NoSizes);
    WriteVerticalDistribution(fp);
    std::fputs("      vertical grid distribution\n", fp);
    std::fprintf(fp, "W 1 %lf %lf %lf\n", StricklerCoefficient, W1SecondValue, InitialWaterLevel);
    WriteGridLineList(fp);
    std::fputs("K 1 40000 60000\n", fp);
    std::fputs("K 2 0 1\n", fp);
}

}  // namespace

void WriteControlNew() { WriteConfigurationFile("control.new", WriteControlNewText); }

void WriteMinimalControl() {
    // An even distribution in per cent, and grid lines at both ends and the middle.
    const int nz = std::min(NoGridLinesZ, kZdistribSize - 1);
    for (int k = 1; k <= nz; ++k) zdistrib[k] = nz > 1 ? 100.0 * (k - 1) / (nz - 1) : 0.0;
    NoW2Values = 3;
    W2Values[1] = 1;
    W2Values[2] = NoGridLinesX / 2;
    W2Values[3] = NoGridLinesX;
    WriteConfigurationFile("control", WriteMinimalControlText);
}
