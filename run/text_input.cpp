#include "run/text_input.h"

#include <climits>
#include <cmath>
#include <cstring>

#include <sys/stat.h>

#include "run/fatal.h"
#include "run/status.h"

namespace {
constexpr int kByteEndOfInput = 255;
}

FILE* OpenInputFile(const char* name, const char* mode) {
    FILE* fp = std::fopen(name, mode);
    if (!fp) return nullptr;
    struct stat st {};
    if (fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(fp);
        SetStatusText("cannot read file '%s' ", name);
        FailWithLog(kInputNotAFileStatus, "Error: '%s' is a directory, not a file\n", name);
    }
    return fp;
}

ScanEnd ScanDataSets(FILE* fp, long long budget, const char* letters, const std::function<bool(int letter)>& handle) {
    for (long long step = 0; step < budget; ++step) {
        const int c = std::getc(fp);
        if (c == EOF || c == kByteEndOfInput) return ScanEnd::EndOfFile;
        if (c != 0 && std::strchr(letters, c) && !handle(c)) return ScanEnd::Stopped;
    }
    return ScanEnd::Budget;
}

bool ReadFiniteReal(FILE* fp, double* value) {
    double x;
    if (std::fscanf(fp, "%lf", &x) != 1 || !std::isfinite(x)) return false;
    *value = x;
    return true;
}

bool ReadInt32(FILE* fp, int* value) {
    long x;
    if (std::fscanf(fp, "%ld", &x) != 1 || x < INT_MIN || x > INT_MAX) return false;
    *value = static_cast<int>(x);
    return true;
}

bool ExistsButNotRegularFile(const char* name) {
    struct stat st {};
    return stat(name, &st) == 0 && !S_ISREG(st.st_mode);
}

long LineAtOffset(FILE* fp, long offset) {
    long line = 1;
    if (offset < 0 || std::fseek(fp, 0, SEEK_SET) != 0) return line;
    for (long k = 0; k < offset; ++k) {
        const int c = std::getc(fp);
        if (c == EOF) break;
        if (c == '\n') ++line;
    }
    std::fseek(fp, offset, SEEK_SET);
    return line;
}

void RefuseValueAtLine(FILE* fp, const std::string& name, int status, const std::string& what) {
    const long line = LineAtOffset(fp, std::ftell(fp));
    SetStatusText(" Error reading %s file ", name.c_str());
    FailWithLog(status, "Error reading the '%s' file at line %ld: %s\n", name.c_str(), line, what.c_str());
}

void RefuseNotFiniteValue(FILE* fp, const std::string& name, int status) {
    RefuseValueAtLine(fp, name, status, "a value is not a finite number");
}

void RefuseLevel(FILE* fp, const std::string& name, int status, double z) {
    char what[120];
    std::snprintf(what, sizeof what, "a level of %g m lies beyond %g m", z, kLevelLimit);
    RefuseValueAtLine(fp, name, status, what);
}
