#include "run/control_reader.h"

#include <climits>
#include <cmath>

#include "run/fatal.h"
#include "run/log.h"

DataSetId CurrentDataSet;

int ScanValues(FILE* fp, std::initializer_list<ValueRef> values) {
    int converted = 0;
    for (const ValueRef& v : values) {
        switch (v.kind()) {
            case ValueRef::Kind::Int: {
                long x;
                if (std::fscanf(fp, "%ld", &x) != 1) return converted;
                if (x < INT_MIN || x > INT_MAX) RefuseDataSet();
                *static_cast<int*>(v.target()) = static_cast<int>(x);
                break;
            }
            case ValueRef::Kind::Real: {
                double x;
                if (std::fscanf(fp, "%lf", &x) != 1) return converted;
                if (!std::isfinite(x)) RefuseDataSet();
                *static_cast<double*>(v.target()) = x;
                break;
            }
            case ValueRef::Kind::Letter: {
                char c;
                if (std::fscanf(fp, " %c", &c) != 1) return converted;
                *static_cast<char*>(v.target()) = c;
                break;
            }
        }
        ++converted;
    }
    return converted;
}

void RefuseF(int number) { FailWithLog(1, "Error for F %d in control", number); }

void RefuseDataSet() {
    const DataSetId& d = CurrentDataSet;
    if (d.letter == 'F') RefuseF(d.number);
    if (d.letter == 'Q' || d.letter == 'N') {
        FailWithLog(1, "Input error for %c %d %d in control\n", d.letter, d.number, d.number2);
    }
    FailWithLog(1, "Input error for %c %d in control\n", d.letter, d.number);
}
