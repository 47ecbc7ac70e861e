// The bed-point file: E lines of x, y and z, S lines of four values that
// carry nothing for the engine, Z or the end of the file to finish.
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "grid/geodata.h"
#include "grid/grid_services.h"
#include "run/array_allocation.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/status.h"
#include "run/text_input.h"
#include "run/output_file.h"

Array1<double> GeodataX{ArrayBase::kGlobal};
Array1<double> GeodataY{ArrayBase::kGlobal};
Array1<double> GeodataZ{ArrayBase::kGlobal};

namespace {

// Bytes and points looked at in the file.
constexpr long kGeodataBudget = 500000000L;
// Entries the point arrays hold beyond the points counted.
constexpr long kGeodataSpare = 5002;
constexpr double kFarCoordinate = 1e12;

using LogFile = std::unique_ptr<FILE, int (*)(FILE*)>;

std::string GeodataFileName() {
    if (MpiPart == 0) return "geodata";
    char name[64];
    std::snprintf(name, sizeof name, "geodata.mpi%d", MpiPart);
    return name;
}

// What the scan saw last, for the hints on a file without points.
struct PassEnd {
    int lastByte = ' ';
    int lastReals = -1;  // reals the last scan read; -1 when none was tried
};

// The three values of an E line, scaled and shifted. A value that is missing
// makes the point unreadable (the points end there); one that is not finite,
// before or after scaling, refuses the file.
bool ReadPoint(FILE* fp, const std::string& name, double v[3], int* realsRead) {
    *realsRead = std::fscanf(fp, " %lf %lf %lf", &v[0], &v[1], &v[2]);
    if (*realsRead != 3) return false;
    for (int n = 0; n < 3; ++n) {
        v[n] = v[n] * GeodataScale + GeodataOffset;
        if (!std::isfinite(v[n])) RefuseNotFiniteValue(fp, name, kUnstrucBadFile);
    }
    if (!LevelInRange(v[2])) RefuseLevel(fp, name, kUnstrucBadFile, v[2]);
    return true;
}

// Hands every readable point to `store` until Z, the end of the file, the
// first unreadable point or the budget (each point costs its letter).
template <class Store>
void ScanPoints(FILE* fp, const std::string& name, PassEnd* end, Store&& store) {
    for (long steps = 0; steps < kGeodataBudget; ++steps) {
        const int c = std::getc(fp);
        if (c == EOF) break;
        end->lastByte = c;
        if (c == 'Z') break;
        if (c == 'E') {
            double v[3];
            if (!ReadPoint(fp, name, v, &end->lastReals)) break;
            store(v);
        } else if (c == 'S') {
            double s[4];
            end->lastReals = std::fscanf(fp, "%lf %lf %lf %lf\n", &s[0], &s[1], &s[2], &s[3]);
        }
    }
}

[[noreturn]] void FailOutOfMemory(FILE* log, long points, const std::string& name) {
    std::fprintf(log, "Could not allocate memory for %ld points\n", points);
    SetStatusText("Could not allocate memory for geodata ");
    FailWithLog(-3, "Error, could not allocate memory for the %ld bed points of file %s\n", points, name.c_str());
}

}  // namespace

double ReadGeodataFile() {
    LogFile log(OpenPlainOutput(kGeodataLogName, false), std::fclose);
    if (!log) return kGeodataLogUnavailable;
    const std::string name = GeodataFileName();

    // One pass over the file: reading the numbers is what costs.
    PassEnd end;
    std::vector<std::array<double, 3>> read;
    {
        InputFile in(name.c_str());
        if (!in) {
            std::fprintf(log.get(), "Could not open file geodata\n");
            return kGeodataMissing;
        }
        try {
            ScanPoints(in.get(), name, &end, [&](const double* v) { read.push_back({v[0], v[1], v[2]}); });
        } catch (const std::bad_alloc&) {
            FailOutOfMemory(log.get(), static_cast<long>(read.size()), name);
        }
    }
    const long count = static_cast<long>(read.size());
    std::fprintf(log.get(), "Number of points in geodata file: %d\n", static_cast<int>(count));
    if (count == 0) {
        std::fprintf(log.get(), "\nProbable error in geodata file. Last read charachter: %c\n", end.lastByte);
        std::fprintf(log.get(), "Last read %d number of floating points.\n", end.lastReals);
    }

    // A second read of the points of another run in this process may need more room.
    const size_t size = static_cast<size_t>(count + kGeodataSpare);
    for (Array1<double>* a : {&GeodataX, &GeodataY, &GeodataZ}) {
        if (a->exists() && a->size() < size) a->release();
    }
    ArrayAllocation allocation;
    if (!allocation.makeAll({&GeodataX, &GeodataY, &GeodataZ}, size)) FailOutOfMemory(log.get(), count, name);

    for (long k = 0; k < count; ++k) {
        const std::array<double, 3>& v = read[static_cast<size_t>(k)];
        if (std::fabs(v[0]) > kFarCoordinate) std::fprintf(log.get(), "xg = %le\n", v[0]);
        GeodataX[k] = v[0];
        GeodataY[k] = v[1];
        GeodataZ[k] = v[2];
    }
    NoGeodataPoints = static_cast<int>(count);
    std::fprintf(log.get(), "Number of points read from geodata file: %ld\n", count);
    return 0.0;
}
