// The monitoring time series `timeo`: one line of the monitored values per
// call, by the items of the monitor record in force.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "drivers/flow_drivers.h"
#include "flow/cell_lookup.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/text_format.h"
#include "run/output_file.h"

namespace {

constexpr int kTimeoOpenStatus = -3;
constexpr int kLastReferenceGroup = 7;

// The last record whose start time has been reached, so that each record
// applies from its own start time on; the first before any has.
const TimeoRecord& RecordInForce(int* index) {
    int r = 0;
    for (int k = 1; k < std::min(NoTimeoRecords, kTimeoRecords); ++k) {
        if (TimeoRecords[k].startTime <= stime) r = k;
    }
    *index = r;
    return TimeoRecords[r];
}

const Array1<double>* CellField(char letter) {
    switch (letter) {
        case 'u': return &Cu;
        case 'v': return &Cv;
        case 'w': return &Cw;
        case 'p': return &Pres;
        case 'k': return &Ck;
        case 'e': return &Cepsilon;
        case 'd': return &Ceddyvisc;
        default: return nullptr;
    }
}

bool HeldCell(const ArrayStorage<double>& a, int c) {
    return IsGridCell(c) && a.exists() && static_cast<size_t>(c) < a.count();
}

bool HeldComponent(int n) {
    return n >= 0 && n < NoComponents && Components.exists() && static_cast<size_t>(n) < Components.extent1() &&
           static_cast<size_t>(NoCells) < Components.extent2();
}

bool HeldNode(int i, int j, int k) {
    return Gridz.exists() && i >= 0 && j >= 0 && k >= 0 && static_cast<size_t>(i) < Gridz.extent1() &&
           static_cast<size_t>(j) < Gridz.extent2() && static_cast<size_t>(k) < Gridz.extent3();
}

bool SizesHeld() {
    return NoSizes >= 0 && conc.exists() && static_cast<size_t>(NoSizes) < conc.extent1() &&
           static_cast<size_t>(NoCells) < conc.extent2() && Cvol.exists() &&
           static_cast<size_t>(NoCells) < Cvol.count();
}

// True when the cell, node, component or sizes that item k names exist.
bool ItemUsable(const TimeoRecord& rec, int k) {
    const char letter = rec.letter[k];
    if (const Array1<double>* field = CellField(letter)) return HeldCell(*field, rec.value[k]);
    switch (letter) {
        case 'q': return HeldComponent(rec.size[k]) && IsGridCell(rec.value[k]);
        case 'h': return HeldNode(rec.value2[k], rec.value3[k], NoGridLinesZ);
        case 'z': return HeldNode(rec.value2[k], rec.value3[k], 1);
        case 'm':
            return HeldComponent(rec.value[k]) && Ccellt.exists() && Ccellb.exists() &&
                   static_cast<size_t>(NoCells) < Cxcenter.count() && static_cast<size_t>(NoCells) < Cycenter.count();
        case 'a': return SizesHeld();
        default: return true;
    }
}

void ReportUnusableItem(int r, int k, char letter) {
    const std::uint32_t bit = std::uint32_t{1} << k;
    if (TimeoItemNotices[r] & bit) return;
    TimeoItemNotices[r] |= bit;
    LogAppend("Warning: timeo item %d (%c) of monitor record %d names no cell, node, component or size of the "
              "grid; not written\n",
              k + 1, letter, r + 1);
}

int CellOrNone(int c) { return IsGridCell(c) ? c : 0; }

// The top cell whose column has the largest mean of component n, and that
// mean; cell 0 and 0 when no mean is above 0.
void HighestColumnMean(int n, int* best, double* bestMean) {
    *best = 0;
    *bestMean = 0.0;
    for (int top = 1; top <= NoCells; ++top) {
        if (Ccellt[top] != 0) continue;
        double sum = 0.0;
        int count = 0;
        for (int c = top; IsGridCell(c) && count < NoCells; c = Ccellb[c]) {
            sum += Components[n][c];
            ++count;
        }
        const double mean = sum / count;
        if (mean > *bestMean) {
            *best = top;
            *bestMean = mean;
        }
    }
}

// The first cell of the last source-cell group of equation n.
int ReferenceCell(int n) {
    int cell = 0;
    for (int g = 1; g <= kLastReferenceGroup; ++g) {
        if (SourceCellGroups[g].equation == n) cell = CellOrNone(SourceCellGroups[g].cells[0]);
    }
    return cell;
}

void AppendGroupMeans(std::string& line) {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        if (r.noSurfaces < 1) continue;
        AppendFormat(line, "A %d", g);
        for (int s = 0; s <= NoSizes; ++s) {
            double sum = 0.0, volume = 0.0;
            for (int n = 0; n < GroupListLength(r); ++n) {
                const int c = GroupSurfaceCell(r.surfaceList[n]);
                if (c == 0) continue;
                sum += conc[s][c] * Cvol[c];
                volume += Cvol[c];
            }
            AppendFormat(line, " %10.6e", sum / (volume + 1e-30));
        }
        line += "  ";
    }
}

class TimeoLine {
public:
    explicit TimeoLine(int record) : record_(record) {}

    void item(const TimeoRecord& rec, int k) {
        const char letter = rec.letter[k];
        if (!ItemUsable(rec, k)) {
            ReportUnusableItem(record_, k, letter);
            return;
        }
        if (const Array1<double>* field = CellField(letter)) {
            AppendFormat(text, "%10.6e ", (*field)[rec.value[k]]);
            return;
        }
        switch (letter) {
            case 'q': AppendFormat(text, "%10.6e ", Components[rec.size[k]][rec.value[k]]); break;
            case 'h': AppendFormat(text, "%10.6e ", Gridz[rec.value2[k]][rec.value3[k]][NoGridLinesZ]); break;
            case 'z': AppendFormat(text, "%10.6e ", Gridz[rec.value2[k]][rec.value3[k]][1]); break;
            case 'f': balance(); break;
            case 'm': highestMean(rec.value[k]); break;
            case 'a': AppendGroupMeans(text); break;
            default: break;
        }
    }

    std::string text;

private:
    void balance() {
        AppendFormat(text, "Cont: B I O R %10.6e %10.6e %10.6e %10.6e\n", SedimentBedSum, SedimentInflowSum,
                     SedimentOutflowSum, MaxResidual[4]);
    }

    void highestMean(int n) {
        if (reference_ < 0) reference_ = ReferenceCell(n);
        int best = 0;
        double mean = 0.0;
        HighestColumnMean(n, &best, &mean);
        const double dx = Cxcenter[best] - Cxcenter[reference_];
        const double dy = Cycenter[best] - Cycenter[reference_];
        AppendFormat(text, "%10.6e ", std::sqrt(dx * dx + dy * dy));
        AppendFormat(text, "%10.6e ", mean);
    }

    int record_;
    int reference_ = -1;  // found at the first m item of the call
};

}  // namespace

void WriteTimeo() {
    if (NoTimeoRecords <= 0) return;
    int r = 0;
    const TimeoRecord& rec = RecordInForce(&r);
    TimeoLine line(r);
    AppendFormat(line.text, "%10.4e ", stime);
    for (int k = 0; k < std::min(rec.noItems, kTimeoItems); ++k) line.item(rec, k);
    line.text += "\n";
    FILE* fp = OpenPlainOutput("timeo", true);
    if (!fp) EndRun(kTimeoOpenStatus);
    const bool written = std::fputs(line.text.c_str(), fp) >= 0;
    if (std::fclose(fp) != 0 || !written) EndRun(kTimeoOpenStatus);
}
