// Handlers of the Q data sets (water-quality components).
//
// Q n c values: n is the record type, c the component. Each type reads a
// fixed number of integers, then reals; the integers name other components
// (or, for two types, work rows and a pair count) and are checked before the
// record is appended.
#include <cctype>
#include <cstring>

#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"

RIVAX_PARAMS_Q(RIVAX_DEFINE_PARAM)

char QNames[kQNames][kQNameSize];
QDataSetRecord QDataSets[kQDataSets];

void StoreDefaultsQ() {
    RIVAX_PARAMS_Q(RIVAX_STORE_DEFAULT)
    std::memset(QNames, 0, sizeof QNames);
    std::memset(QDataSets, 0, sizeof QDataSets);
}

namespace {

constexpr int kMaxQNumber = 10000;
constexpr int kMaxLightPairs = 5;

// What the integers of a type stand for. Every index reaches the component
// arrays or the work rows, so each must name one that exists.
enum class QInts {
    Components,  // every integer is a component
    WorkRows,    // a component, then rows of the component work array
    LightPairs,  // a pair count 0..5, then components
};

struct QLayout {
    int type;
    int ints;
    int reals;
    QInts kind = QInts::Components;
};

constexpr QLayout kQLayouts[] = {
    {1, 0, 1},    {5, 0, 1},    {11, 0, 1},   {1001, 0, 1}, {2001, 0, 1},
    {2, 1, 1},    {113, 1, 1},  {1002, 1, 1}, {1012, 1, 1}, {2002, 1, 1},
    {3, 2, 1},    {1003, 2, 1}, {2003, 2, 1},
    {4, 2, 2},    {1004, 2, 2}, {2004, 2, 2}, {221, 2, 2},
    {17, 1, 7},   {42, 0, 4},   {51, 0, 5},   {81, 0, 8},
    {120, 1, 2},  {121, 1, 2},  {122, 1, 2},  {123, 1, 2},
    {131, 1, 3},  {132, 1, 3},  {133, 1, 3},
    {151, 1, 5},  {152, 1, 5},  {161, 1, 6},  {162, 1, 6},
    {230, 2, 3},  {251, 2, 5},  {252, 2, 5},  {261, 2, 6},  {272, 2, 7},
    {281, 2, 8},  {282, 2, 8},  {291, 2, 9},
    {340, 3, 4},  {361, 3, 6},  {371, 3, 7},
    {1060, 0, 6}, {1102, 0, 2}, {2030, 0, 3},
    {2149, 4, 9, QInts::WorkRows},
    {6100, 6, 10, QInts::LightPairs},
};

const QLayout* FindLayout(int type) {
    for (const QLayout& l : kQLayouts) {
        if (l.type == type) return &l;
    }
    return nullptr;
}

bool IsComponent(int c) { return c >= 0 && c < NoComponents; }

bool IntegerValid(const QLayout& l, int k, int v) {
    if (k > 0 && l.kind == QInts::WorkRows) return v >= 0 && v < ComponentWorkRows;
    if (k == 0 && l.kind == QInts::LightPairs) return v >= 0 && v <= kMaxLightPairs;
    return IsComponent(v);
}

bool RecordValid(const QDataSetRecord& r, const QLayout& l) {
    if (!IsComponent(r.component)) return false;
    for (int k = 0; k < l.ints; ++k) {
        if (!IntegerValid(l, k, r.ivalue[k])) return false;
    }
    return true;
}

[[noreturn]] void RefuseRecord(int n, int c) { FailWithLog(kControlRefusedStatus, "Input error for Q %d %d in control\n", n, c); }

// Q 0 c word: the name of component c, at most 39 characters.
void ReadName(int c, FILE* fp) {
    static_assert(kQNameSize == 40, "the width below must be kQNameSize - 1");
    char word[kQNameSize] = {};
    if (std::fscanf(fp, "%39s", word) != 1) RefuseRecord(0, c);
    int next = std::getc(fp);
    if (next != EOF) {
        std::ungetc(next, fp);
        if (!std::isspace(next)) RefuseRecord(0, c);
    }
    std::memcpy(QNames[c], word, sizeof word);
}

void ReadRecord(const QLayout& l, int c, FILE* fp) {
    if (NoQDataSets >= kQDataSets) RefuseRecord(l.type, c);
    QDataSetRecord r{};
    r.component = c;
    r.qtype = l.type;
    int converted = 0;
    for (int k = 0; k < l.ints && converted == k; ++k) converted += ScanValues(fp, {&r.ivalue[k]});
    for (int k = 0; k < l.reals && converted == l.ints + k; ++k) converted += ScanValues(fp, {&r.rvalue[k]});
    if (converted != l.ints + l.reals || !RecordValid(r, l)) RefuseRecord(l.type, c);
    QDataSets[NoQDataSets++] = r;
}

}  // namespace

void ReadDataSetQ(int n, int c, FILE* fp) {
    if (n > kMaxQNumber || n < 0 || !IsComponent(c)) FailWithLog(kControlRefusedStatus, "Input error for Q %d in control\n", n);
    if (n == 0) {
        ReadName(c, fp);
        return;
    }
    if (const QLayout* l = FindLayout(n)) ReadRecord(*l, c, fp);
}

void RecheckDataSetsQ() {
    for (int k = 0; k < NoQDataSets; ++k) {
        const QDataSetRecord& r = QDataSets[k];
        const QLayout* l = FindLayout(r.qtype);
        if (l && !RecordValid(r, *l)) RefuseRecord(r.qtype, r.component);
    }
}
