#include "run/dataset_rules.h"

#include "run/fatal.h"

void RefuseF(int number, FMessage form) {
    if (form == FMessage::Line) FailWithLog(kControlRefusedStatus, "Error for F %d in control\n", number);
    RefuseF(number);
}

double StoredValue(const ValueRef& r) {
    switch (r.kind()) {
        case ValueRef::Kind::Int: return *static_cast<const int*>(r.target());
        case ValueRef::Kind::Real: return *static_cast<const double*>(r.target());
        case ValueRef::Kind::Letter: return *static_cast<const char*>(r.target());
    }
    return 0.0;
}

bool AllWithin(std::initializer_list<Bounded> values) {
    for (const Bounded& b : values) {
        double v = StoredValue(b.ref);
        if (!(v >= b.lo && v <= b.hi)) return false;
    }
    return true;
}

int ReadCount(FILE* fp, std::initializer_list<Bounded> values) {
    int converted = 0;
    for (const Bounded& b : values) {
        if (ScanValues(fp, {b.ref}) != 1) break;
        ++converted;
    }
    return converted;
}

void ReadF(FILE* fp, int number, FMessage form, std::initializer_list<Bounded> values) {
    int converted = ReadCount(fp, values);
    if (converted < static_cast<int>(values.size()) || !AllWithin(values)) RefuseF(number, form);
}

bool ReadByIntRule(FILE* fp, int number, FMessage form, std::span<const IntRule> rules) {
    for (const IntRule& r : rules) {
        if (r.number != number) continue;
        int unused = 0;
        int* target = r.target ? r.target : &unused;
        ReadF(fp, number, form, {Within(target, r.lo, r.hi)});
        return true;
    }
    return false;
}
