#include "run/arrays.h"

#include <vector>

namespace {
std::vector<ArrayBase*>& GlobalArrays() {
    static std::vector<ArrayBase*> arrays;
    return arrays;
}
}  // namespace

ArrayBase::ArrayBase(GlobalTag) { GlobalArrays().push_back(this); }

void ArrayBase::ReleaseAllGlobals() {
    for (ArrayBase* a : GlobalArrays()) a->release();
}

void ArrayIndexFault(const char* what, std::ptrdiff_t index, size_t extent) {
    std::fprintf(stderr, "rivax: %s index %td outside 0..%zu\n", what, index, extent == 0 ? 0 : extent - 1);
    std::abort();
}

namespace rivax_detail {
void* ZeroAlloc(size_t count, size_t elem_size) { return std::calloc(count, elem_size); }
void ZeroFree(void* p) { std::free(p); }
}  // namespace rivax_detail
