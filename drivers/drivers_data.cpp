#include "drivers/drivers_data.h"

Array2<double> ShallowWork3A{ArrayBase::kGlobal};
Array2<double> ShallowWork3B{ArrayBase::kGlobal};
Array2<double> ShallowWork3C{ArrayBase::kGlobal};
Array2<double> ShallowWork4A{ArrayBase::kGlobal};
Array2<double> ShallowWork4B{ArrayBase::kGlobal};

RIVAX_DRIVER_STATE(RIVAX_DEFINE_PARAM)

std::uint32_t TimeoItemNotices[kTimeoRecords];

void StoreDriverStartValues() {
    RIVAX_DRIVER_STATE(RIVAX_STORE_DEFAULT)
    for (std::uint32_t& n : TimeoItemNotices) n = 0;
}
