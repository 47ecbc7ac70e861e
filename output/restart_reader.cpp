// Letter R: the restart from the bed state file and the result file.
//
// Numbers taken from the files index the arrays only after they were checked
// against the grid, and a binary file is read only when it holds exactly the
// arrays of the present grid, so no file can move a value into another
// array or past the end of one.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include <sys/stat.h>

#include "output/output_services.h"
#include "output/restart_files.h"
#include "output/result_format.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "run/text_input.h"

namespace {

constexpr int kUCounts = 6;

struct ResultRead {
    bool complete = false;  // the file was read and the flow counts as initialised
    int cells = 0;          // cell values read
};

void CopyFieldsToOld() {
    if (!Cu_old.exists()) return;
    const struct {
        const Array1<double>* now;
        Array1<double>* old;
    } pairs[] = {{&Cu, &Cu_old}, {&Cv, &Cv_old}, {&Cw, &Cw_old}, {&Pres, &Pres_old}, {&Ck, &Ck_old}, {&Cepsilon, &Cepsilon_old}};
    for (const auto& p : pairs) {
        if (!p.old->exists()) continue;
        const int last = std::min<long long>(NoCells, static_cast<long long>(p.old->size()) - 1);
        for (int c = 1; c <= last; ++c) (*p.old)[c] = (*p.now)[c];
    }
}

// Letter R asks for a restart: a run that went on from the start values
// instead would pass for a continued one.
[[noreturn]] void RefuseRestart(const std::string& name, const char* why) {
    FailWithLog(kRestartRefusedStatus, "Error: no restart from '%s': %s\n", name.c_str(), why);
}

ResultRead ReadBinaryResult() {
    const char* name = "resultb";
    InputFile file(name, "rb");
    if (!file) {
        SetStatusText("cannot open file 'resultb' ");
        FailWithLog(kResultbMissingStatus, " cannot open file 'resultb' for reading \n");
    }
    // A file of another grid would shift every array into the next one: only
    // a file of exactly this grid's size is read.
    const size_t expected = BinaryResultBytes(NoCells, NoSurfaces);
    struct stat st {};
    const long long found = fstat(fileno(file.get()), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    if (found != static_cast<long long>(expected) || !ResultListsFitArrays(NoCells, NoSurfaces)) {
        LogAppend("Error reading 'resultb' file\n");
        FailWithLog(kResultbSizeStatus, "The grid needs %zu bytes (%d cells, %d surfaces), and the file holds %lld\n",
                    expected, NoCells, NoSurfaces, found);
    }
    const size_t cells = static_cast<size_t>(NoCells) + 1;
    size_t read = 0;
    for (Array1<double>* a : ResultCellArrays()) read += std::fread(a->data(), sizeof(double), cells, file.get());
    read += std::fread(Fflux.data(), sizeof(double), static_cast<size_t>(NoSurfaces) + 1, file.get());
    if (read * sizeof(double) != expected) {
        LogAppend("Error reading 'resultb' file\n");
        FailWithLog(kResultbSizeStatus, "The grid needs %zu bytes, and %zu could be read\n", expected,
                    read * sizeof(double));
    }
    return {true, NoCells};
}

// The log lines of a U record that does not match the grid.
void ReportSizeError(const int (&file)[kUCounts]) {
    const int grid[kUCounts] = {NoPoints, NoCells, NoSurfaces, NoBlocks, NoEdges, NoEdgePairs};
    static const char* const kCounted[kUCounts - 1] = {"points", "cells", "surfaces", "blocks", "connections"};
    static const char* const kAdvice[] = {
        "If you are reading an unstruc file that is written at the same time as the result file,\n",
        "then the F 112 data set should be removed from the control file\n",
        "Otherwise, the F 112 1 data set should be in the control file\n",
        "Another cause of this error can be if you are using an F 99 data set\n",
        "with an integer above 1\n",
        "Another possible fix is to use and F 209 data set in the control file.\n",
        "This must then be present and have the same value both at reading and writing the files.\n",
        "If none of these methods work, you can write the whole grid in the unstruc file by using\n",
        "an H at the end of the F 2 data set. Then read this file before reading the result file\n",
    };
    LogAppend("Error reading result file, array size is not correct\n");
    LogAppend("Number of cells in grid is %d, and number of cells in result file is %d\n", NoCells, file[1]);
    LogAppend("First check if the result and bedres files are written at the same time\n");
    LogAppend("If you are reading the 'result' file together with the \n");
    LogAppend("'bedres' file, remember the 'bedres' file will only be \n");
    LogAppend("read if the F 37 data set is larger than zero\n");
    for (int k = 0; k < kUCounts - 1; ++k) {
        if (grid[k] != file[k]) LogAppend("No. %s in grid: %d, no. %s in result file: %d\n", kCounted[k], grid[k], kCounted[k], file[k]);
    }
    const int last = kUCounts - 1;
    if (grid[last] != file[last]) LogAppend("No. connecting surfaces in grid: %d, in result file: %d\n", grid[last], file[last]);
    LogAppend("MaxDepth = %lf\n", MaxDepth);
    for (const char* line : kAdvice) LogAppend("%s", line);
}

// The records of a text result file, scanned to the end of the file or the
// record of the last surface.
class TextResultScan {
public:
    explicit TextResultScan(FILE* fp) : fp_(fp) {}

    // False when a U record did not fit the grid; the scan stopped there.
    bool run() {
        ScanDataSets(fp_, LLONG_MAX, "CFU", [this](int letter) {
            switch (letter) {
                case 'C': cell(); return true;
                case 'F': return surface();
                default: return counts();
            }
        });
        return fits_;
    }

    int cells() const { return cells_; }
    int surfaces() const { return surfaces_; }
    int outside() const { return outside_; }
    int incomplete() const { return incomplete_; }

private:
    // Reads the index and `n` finite numbers of a record.
    bool record(int* index, double* values, int n) {
        if (!ReadInt32(fp_, index)) return false;
        for (int k = 0; k < n; ++k) {
            if (!ReadFiniteReal(fp_, &values[k])) return false;
        }
        return true;
    }

    void cell() {
        int n = 0;
        double v[6];
        if (!record(&n, v, 6)) {
            ++incomplete_;
            return;
        }
        if (n < 1 || n > NoCells || !ResultListsFitArrays(n, 0)) {
            ++outside_;
            return;
        }
        int k = 0;
        for (Array1<double>* a : ResultCellArrays()) (*a)[n] = v[k++];
        const double viscosity = std::min(MaxEddyViscosity, 90.0 * v[3] * v[3] / (v[4] + 1e-20) + MinGamma + ArtEddyVisc);
        Ceddyvisc[n] = viscosity;
        if (Ceddyviscz.exists()) Ceddyviscz[n] = viscosity;
        ++cells_;
    }

    bool surface() {
        int n = 0;
        double flux = 0.0;
        if (!record(&n, &flux, 1)) {
            ++incomplete_;
            return true;
        }
        if (n < 1 || n > NoSurfaces || !ResultListsFitArrays(0, n)) {
            ++outside_;
            return true;
        }
        Fflux[n] = flux;
        ++surfaces_;
        return n != NoSurfaces;
    }

    bool counts() {
        int file[kUCounts] = {};
        bool read = true;
        for (int& v : file) read = read && ReadInt32(fp_, &v);
        const int grid[kUCounts] = {NoPoints, NoCells, NoSurfaces, NoBlocks, NoEdges, NoEdgePairs};
        fits_ = read && std::equal(file, file + kUCounts, grid);
        if (!read) {
            LogAppend("Error reading result file: the U line does not hold six counts\n");
        } else if (!fits_) {
            ReportSizeError(file);
        }
        return fits_;
    }

    FILE* fp_;
    bool fits_ = true;
    int cells_ = 0, surfaces_ = 0, outside_ = 0, incomplete_ = 0;
};

ResultRead ReadTextResult(const std::string& name) {
    if (ExistsButNotRegularFile(name.c_str())) {
        SetStatusText(" Error reading result file        ");
        FailWithLog(kResultNotRegularStatus, "Error reading the '%s' file: it is not a regular file\n", name.c_str());
    }
    InputFile file(name.c_str());
    if (!file) {
        SetStatusText("cannot open file %s ", name.c_str());
        LogAppend("Warning: have not been able to open the file '%s' for reading \n", name.c_str());
        RefuseRestart(name, "it cannot be opened");
    }
    SetModuleName(" Readres-reading results ");
    LogAppend(" In readres \n\n");
    TextResultScan scan(file.get());
    if (!scan.run()) {
        SetStatusText(" Error reading result file        ");
        RefuseRestart(name, "its counts (the U line) do not fit the grid");
    }
    if (scan.outside() > 0) {
        LogAppend("Skipped %d records of '%s' whose cell or surface number lies outside the grid\n", scan.outside(),
                  name.c_str());
    }
    if (scan.incomplete() > 0) {
        LogAppend("Skipped %d records of '%s' that are incomplete or hold something that is not a number\n",
                  scan.incomplete(), name.c_str());
    }
    if (scan.cells() < FileNoCells || scan.surfaces() < FileNoSurfaces) {
        LogAppend("Warning: '%s' gave %d of the %d cell values and %d of the %d surface fluxes of the grid\n",
                  name.c_str(), scan.cells(), FileNoCells, scan.surfaces(), FileNoSurfaces);
    }
    if (scan.outside() > 0 || scan.incomplete() > 0 || scan.cells() < FileNoCells || scan.surfaces() < FileNoSurfaces) {
        SetStatusText(" Error reading result file        ");
        RefuseRestart(name, "it does not hold every cell and surface of the grid as numbers");
    }
    ResultFluxesReadFlag = 1;
    return {true, scan.cells()};
}

}  // namespace

void readres() {
    ReadBedStateFile();
    const bool binary = OutputSelector == kBinaryResultSelector;
    const std::string name = binary ? "resultb" : RestartFileName("result");
    const ResultRead r = binary ? ReadBinaryResult() : ReadTextResult(name);
    if (!r.complete) return;
    CopyFieldsToOld();
    LogAppend("Have read %d cell values from %s file\n", r.cells, name.c_str());
    FlowInitialisedFlag = 1;
    SetStatusText(" Have finished reading 'result'");
}
