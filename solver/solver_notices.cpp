#include "solver/solver_notices.h"

#include <set>
#include <string>

#include "run/log.h"

void NoticeOnce(const char* text) {
    static std::set<std::string> given;
    if (given.insert(text).second) LogAppend("%s", text);
}
