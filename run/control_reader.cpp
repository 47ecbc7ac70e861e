#include "run/control_reader.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

#include "run/fatal.h"
#include "run/log.h"

DataSetId CurrentDataSet;

namespace {

// After a failed conversion: true when the text that stands there is one of
// the spellings of a value that is not a finite number (nan, inf, infinity,
// any case, with an optional sign). The stream is left where it was.
bool NonFiniteWordFollows(FILE* fp) {
    const long at = std::ftell(fp);
    if (at < 0) return false;
    (void)std::fscanf(fp, " ");
    char word[10] = {};
    int len = 0;
    int c = std::getc(fp);
    if (c == '+' || c == '-') c = std::getc(fp);
    while (c != EOF && std::isalpha(c) && len < static_cast<int>(sizeof word) - 1) {
        word[len++] = static_cast<char>(std::tolower(c));
        c = std::getc(fp);
    }
    const bool ends = c == EOF || !(std::isalnum(c) || c == '_');
    std::fseek(fp, at, SEEK_SET);
    if (!ends) return false;
    return std::strcmp(word, "nan") == 0 || std::strcmp(word, "inf") == 0 || std::strcmp(word, "infinity") == 0;
}

// A value that did not convert: refused when it is written as a non-finite
// number, else left to the handler (an optional value left off).
int NotConverted(FILE* fp, int converted) {
    if (NonFiniteWordFollows(fp)) RefuseDataSet();
    return converted;
}

}  // namespace

int ScanValues(FILE* fp, std::initializer_list<ValueRef> values) {
    int converted = 0;
    for (const ValueRef& v : values) {
        ++CurrentDataSet.valuesTried;
        switch (v.kind()) {
            case ValueRef::Kind::Int: {
                long x;
                if (std::fscanf(fp, "%ld", &x) != 1) return NotConverted(fp, converted);
                if (x < INT_MIN || x > INT_MAX) RefuseDataSet();
                *static_cast<int*>(v.target()) = static_cast<int>(x);
                break;
            }
            case ValueRef::Kind::Real: {
                double x;
                if (std::fscanf(fp, "%lf", &x) != 1) return NotConverted(fp, converted);
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
        ++CurrentDataSet.valuesRead;
    }
    return converted;
}

void RefuseWithoutValues() {
    if (CurrentDataSet.valuesTried > 0 && CurrentDataSet.valuesRead == 0) RefuseDataSet();
}

void RefuseF(int number) { FailWithLog(kControlRefusedStatus, "Error for F %d in control", number); }

void RefuseDataSet() {
    const DataSetId& d = CurrentDataSet;
    if (d.letter == 'F') RefuseF(d.number);
    // The K data sets' own range checks word it without a line end; a value
    // that cannot be read must not look different.
    if (d.letter == 'K') FailWithLog(kControlRefusedStatus, "Input error for K %d in control", d.number);
    if (d.letter == 'Q' || d.letter == 'N') {
        FailWithLog(kControlRefusedStatus, "Input error for %c %d %d in control\n", d.letter, d.number, d.number2);
    }
    FailWithLog(kControlRefusedStatus, "Input error for %c %d in control\n", d.letter, d.number);
}
