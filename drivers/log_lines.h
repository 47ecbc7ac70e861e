// Lines of one report gathered first and appended to `boogie` at once, so
// that reports written from concurrent chunks do not interleave.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "run/region_fatal.h"
#include "run/text_format.h"

class LogLines {
public:
    void add(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        va_list ap;
        va_start(ap, fmt);
        AppendFormatV(text_, fmt, ap);
        va_end(ap);
    }
    void flush() const {
        if (!text_.empty()) LogAppendAnywhere("%s", text_.c_str());
    }

private:
    std::string text_;
};
