#include "run/timei_data.h"

#include <cstring>

#include "run/globals.h"

TimeoRecord TimeoRecords[kTimeoRecords];

Array1<double> TimeiTime{ArrayBase::kGlobal};
Array1<double> TimeiLevel{ArrayBase::kGlobal};
Array1<double> TimeiLevel2{ArrayBase::kGlobal};
Array1<double> TimeiSediment{ArrayBase::kGlobal};
Array1<double> TimeiKinetics{ArrayBase::kGlobal};
Array1<double> TimeiComponentIn{ArrayBase::kGlobal};
Array2<double> TimeiDischarge{ArrayBase::kGlobal};
Array2<double> TimeiWind{ArrayBase::kGlobal};
Array2<double> TimeiConc{ArrayBase::kGlobal};

void ClearTimeoRecords() {
    NoTimeoRecords = 0;
    for (TimeoRecord& r : TimeoRecords) {
        std::memset(&r, 0, sizeof r);
        std::memset(r.letter, ' ', kTimeoItems);
    }
}
