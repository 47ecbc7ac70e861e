#include "run/timei_data.h"

#include <cstring>

#include "run/globals.h"

TimeoRecord TimeoRecords[kTimeoRecords];

void ClearTimeoRecords() {
    NoTimeoRecords = 0;
    for (TimeoRecord& r : TimeoRecords) {
        std::memset(&r, 0, sizeof r);
        std::memset(r.letter, ' ', kTimeoItems);
    }
}
