// Reading the bed state file back for a restart.
//
// Each line is taken whole and checked before any of its values is stored: a
// line that is short, holds something that is not a number or is out of step
// with the grid (node i j, column number, bottom cell) ends the run with the
// line number and what was expected there. Read value by value, a missing
// number would instead shift every later value onto the wrong node.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "grid/grid_services.h"
#include "output/bed_state_layout.h"
#include "output/restart_files.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/text_format.h"
#include "run/text_input.h"
#include "surface/surface_services.h"

namespace {

constexpr char kTitleStart[] = "Results from RIVAX 2.0, iter = ";
constexpr size_t kTitleWords = 7;
constexpr size_t kNodeValues = 7;
constexpr size_t kColumnHead = 5;
constexpr size_t kSizeLineValues = 8;
// Far above the longest line a grid can need (5 + layers x 51 values); a
// longer line is damage, and reading it whole would grow without bound.
constexpr size_t kMaxLineCharacters = size_t{1} << 20;
// The values are written with six decimals: what rounding leaves below 0 or
// above 1 is still taken.
constexpr double kRounding = 1e-6;

// The file line by line, each split into its blank-separated words.
class BedStateInput {
public:
    explicit BedStateInput(FILE* fp) : fp_(fp) {}

    // Reads the next line; false at the end of the file. A line longer than
    // kMaxLineCharacters is cut there (`cut()` says so).
    bool next() {
        text_.clear();
        cut_ = false;
        int c = std::getc(fp_);
        if (c == EOF) return false;
        ++line_;
        for (; c != EOF && c != '\n'; c = std::getc(fp_)) {
            if (text_.size() >= kMaxLineCharacters) {
                cut_ = true;
                break;
            }
            text_.push_back(static_cast<char>(c));
        }
        words_.clear();
        size_t k = 0;
        while (k < text_.size()) {
            while (k < text_.size() && IsBlank(text_[k])) ++k;
            const size_t start = k;
            while (k < text_.size() && !IsBlank(text_[k])) ++k;
            if (k > start) words_.push_back(text_.substr(start, k - start));
        }
        return true;
    }

    int line() const { return line_; }
    bool cut() const { return cut_; }
    const std::string& text() const { return text_; }
    size_t count() const { return words_.size(); }
    const std::string& word(size_t k) const { return words_[k]; }

    // A word that is an int or a finite number as a whole.
    bool intAt(size_t k, int* v) const {
        if (k >= words_.size()) return false;
        const char* s = words_[k].c_str();
        errno = 0;
        char* end = nullptr;
        const long x = std::strtol(s, &end, 10);
        if (errno != 0 || end == s || *end != '\0' || x < INT_MIN || x > INT_MAX) return false;
        *v = static_cast<int>(x);
        return true;
    }
    bool realAt(size_t k, double* v) const {
        if (k >= words_.size()) return false;
        const char* s = words_[k].c_str();
        char* end = nullptr;
        const double x = std::strtod(s, &end);
        if (end == s || *end != '\0' || !std::isfinite(x)) return false;
        *v = x;
        return true;
    }
    // All words from `first` on are finite numbers.
    bool realsFrom(size_t first) const {
        double x;
        for (size_t k = first; k < words_.size(); ++k) {
            if (!realAt(k, &x)) return false;
        }
        return true;
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

    FILE* fp_;
    std::string text_;
    std::vector<std::string> words_;
    int line_ = 0;
    bool cut_ = false;
};

class BedStateReader {
public:
    BedStateReader(FILE* fp, std::string name) : in_(fp), name_(std::move(name)) {}

    void read() {
        title();
        sizeLine();
        nodes();
        // A grid read with its own cells (unstruc versions 0 to 3), which the
        // generation need not reproduce layer for layer, stays when the bed
        // state holds it node for node with as many cells: the file's cell
        // numbers then fit. Any other grid is generated anew.
        const bool keepReadGrid = ReadUnstrucVersion != 4 && sameGrid_ && fileCells_ == NoCells;
        if (!keepReadGrid) Unstructure();
        metric();
        UpdateWaterColumnsAfterRegrid();
        columns();
    }

private:
    // Logs the line and what was expected on it, and ends the run.
    [[noreturn]] void damaged(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        std::string what;
        va_list ap;
        va_start(ap, fmt);
        AppendFormatV(what, fmt, ap);
        va_end(ap);
        LogAppend("Error in reading bedres file '%s' at line %d: %s\n", name_.c_str(), in_.line(), what.c_str());
        FailWithLog(kBedStateFailureStatus, "The line reads: '%.120s'\n", in_.text().c_str());
    }

    // The next line, which must exist.
    void expectLine(const char* what) {
        if (!in_.next()) {
            LogAppend("Error in reading bedres file '%s': it ends after line %d, before %s\n", name_.c_str(),
                      in_.line(), what);
            EndRun(kBedStateFailureStatus);
        }
        if (in_.cut()) damaged("the line is longer than %zu characters", kMaxLineCharacters);
    }

    void title() {
        expectLine("the title line");
        // The iteration number is not used, but it must be there.
        const std::string& t = in_.text();
        int iter = 0;
        const bool ok = t.compare(0, sizeof kTitleStart - 1, kTitleStart) == 0 && in_.intAt(in_.count() - 1, &iter) &&
                        in_.count() == kTitleWords;
        if (!ok) damaged("expected the title line \"%s<iteration>\"", kTitleStart);
    }

    void sizeLine() {
        expectLine("the size line");
        int counts[5] = {};
        int cells = 0;
        double depth = 0.0;
        bool ok = in_.count() == kSizeLineValues && in_.word(0).size() == 1 && in_.realAt(6, &depth) &&
                  in_.intAt(7, &cells);
        for (size_t k = 0; ok && k < 5; ++k) ok = in_.intAt(k + 1, &counts[k]);
        if (!ok) {
            damaged("expected the size line: a letter, the grid lines in i, j and k, the sediment sizes, "
                    "the water columns, the largest depth and the cells");
        }
        oneLayerForm_ = in_.word(0)[0] == 'H';
        fileColumns_ = counts[4];
        fileCells_ = cells;
        MaxDepth = depth;
        const struct {
            int file, grid;
            const char* what;
        } checks[] = {
            {counts[0], NoGridLinesX, "grid lines in i direction"},
            {counts[1], NoGridLinesY, "grid lines in j direction"},
            {counts[2], NoGridLinesZ, "grid lines in k direction"},
            {counts[3], NoSizes, "sediment sizes"},
        };
        bool differs = false;
        for (const auto& c : checks) differs = differs || c.file != c.grid;
        if (!differs) return;
        LogAppend("Error in reading bedres file: array size is not correct\n");
        for (const auto& c : checks) {
            if (c.file != c.grid) LogAppend("Number of bedres %s is %d, and in control file %d.\n", c.what, c.file, c.grid);
        }
        EndRun(kBedStateFailureStatus);
    }

    void nodes() {
        ForEachBedStateNode([this](int i, int j) {
            char what[80];
            std::snprintf(what, sizeof what, "the node line of i = %d, j = %d", i, j);
            expectLine(what);
            int fi = 0, fj = 0;
            double v[5] = {};
            bool ok = in_.count() == kNodeValues && in_.intAt(0, &fi) && in_.intAt(1, &fj);
            for (size_t k = 0; ok && k < 5; ++k) ok = in_.realAt(k + 2, &v[k]);
            if (!ok || fi != i || fj != j) {
                damaged("expected %s, followed by five numbers", what);
            }
            // The bottom cell is stored as a number and used as a cell index.
            if (v[0] < 0.0 || v[0] > MaxCeller || v[0] != std::floor(v[0])) {
                damaged("the bottom cell %g of node (%d,%d) is not a cell number", v[0], i, j);
            }
            for (size_t k = 1; k < 5; ++k) {
                if (!LevelInRange(v[k])) {
                    damaged("the level %g m of node (%d,%d) lies beyond %g m", v[k], i, j, kLevelLimit);
                }
            }
            sameGrid_ = sameGrid_ && Gridz[i][j][0] == v[0] && SameLevel(Gridz[i][j][1], v[1]) &&
                        SameLevel(Gridz[i][j][NoGridLinesZ], v[2]);
            Gridz[i][j][0] = v[0];
            Gridz[i][j][1] = v[1];
            Gridz[i][j][NoGridLinesZ] = v[2];
            GridLevels[3][i][j] = v[3];
            GridLevels[1][i][j] = v[4];
        });
    }

    void columns() {
        if (fileColumns_ != NoBedCells) {
            LogAppend("Error in reading bedres file: array size is not correct\n");
            FailWithLog(kBedStateFailureStatus, "Number of bedres water columns is %d, and in the grid %d.\n",
                        fileColumns_, NoBedCells);
        }
        std::vector<int> own;
        ForEachBedStateLayer(oneLayerForm_, [&own](int layer) { own.push_back(layer); });
        for (int b = 1; b <= NoBedCells; ++b) {
            char what[80];
            std::snprintf(what, sizeof what, "the line of water column %d", b);
            expectLine(what);
            int fb = 0, bottom = 0;
            layers_ = LayersOfLine(own);
            if (layers_.empty() || !in_.intAt(0, &fb) || !in_.intAt(1, &bottom) || !in_.realsFrom(2)) {
                damaged("expected %s with %zu numbers, found %zu words", what, Values(own.size()), in_.count());
            }
            if (fb != b) damaged("expected %s, found the number %d", what, fb);
            if (bottom < 0 || bottom > NoCells) {
                damaged("the bottom cell %d of water column %d lies outside 0 to %d", bottom, b, NoCells);
            }
            checkColumnValues(b);
            store(b, bottom);
        }
    }

    // Levels as the file prints them (14 decimals) against those in memory.
    static bool SameLevel(double memory, double file) { return std::fabs(memory - file) <= 1e-9; }

    static size_t Values(size_t layers) { return kColumnHead + layers * (static_cast<size_t>(NoSizes) + 1); }

    // The layers the present line holds, in file order, by its length: the
    // form this run writes, or that of a run with the other F 37 setting
    // (layers 1 and 0, layer 1 alone in the H form, or every layer of a
    // multi-layer bed), so that whatever bed state the engine writes is read
    // back whatever the reading run's F 37. Empty when none fits.
    std::vector<int> LayersOfLine(const std::vector<int>& own) const {
        if (in_.count() == Values(own.size())) return own;
        std::vector<int> plain{1};
        if (!oneLayerForm_) plain.push_back(0);
        if (in_.count() == Values(plain.size())) return plain;
        const int held = BSedDistrib.exists() ? static_cast<int>(BSedDistrib.extent1()) : 0;
        if (BNoLayers.exists() && NoBedLayers > 2 && NoBedLayers <= held &&
            in_.count() == Values(static_cast<size_t>(NoBedLayers))) {
            std::vector<int> all;
            for (int layer = NoBedLayers - 1; layer >= 0; --layer) all.push_back(layer);
            return all;
        }
        return {};
    }

    // Roughness and layer thickness are not negative, and the fractions of
    // each layer lie within 0 to 1: anything else would turn into negative
    // or growing masses of sediment at the first bed change.
    void checkColumnValues(int b) {
        double x = 0.0;
        for (size_t k = 2; k < 4; ++k) {
            in_.realAt(k, &x);
            if (x < 0.0) damaged("the roughness %g of water column %d is negative", x, b);
        }
        size_t k = kColumnHead;
        for (const int layer : layers_) {
            in_.realAt(k++, &x);
            if (x < -kRounding) damaged("the thickness %g of layer %d of water column %d is negative", x, layer, b);
            for (int s = 1; s <= NoSizes; ++s) {
                in_.realAt(k++, &x);
                if (x < -kRounding || x > 1.0 + kRounding) {
                    damaged("the fraction %g of size %d in layer %d of water column %d lies outside 0 to 1", x, s,
                            layer, b);
                }
            }
        }
    }

    // Stores a column line that has been checked whole.
    void store(int b, int bottom) {
        double x = 0.0;
        size_t k = 2;
        auto nextValue = [this, &k, &x] {
            in_.realAt(k++, &x);
            return x;
        };
        Bcellt[b] = bottom;
        Broughness[b] = nextValue();
        const double cellRoughness = nextValue();
        // Slot 0 stands for no cell and stays 0.
        if (bottom > 0) Croughness[bottom] = cellRoughness;
        BbedformHeight[b] = nextValue();
        for (const int layer : layers_) {
            for (int s = 0; s <= NoSizes; ++s) BSedDistrib[layer][s][b] = nextValue();
        }
    }

    BedStateInput in_;
    std::string name_;
    bool oneLayerForm_ = false;
    int fileColumns_ = 0;
    int fileCells_ = 0;
    bool sameGrid_ = true;
    std::vector<int> layers_;
};

}  // namespace

std::string RestartFileName(const std::string& base) {
    return MpiPart >= 1 ? base + ".mpi" + std::to_string(MpiPart) : base;
}

bool ReadBedStateFile() {
    const std::string name = RestartFileName("bedres");
    if (ExistsButNotRegularFile(name.c_str())) {
        FailWithLog(kBedStateFailureStatus, "Error in reading bedres file '%s': it is not a regular file\n",
                    name.c_str());
    }
    InputFile file(name.c_str());
    if (!file) {
        LogAppend("Have not used 'bedres' file\n");
        return false;
    }
    BedStateReader(file.get(), name).read();
    return true;
}
