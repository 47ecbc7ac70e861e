// printf-style formatting appended to a string: reports and file lines are
// gathered first and written at once.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

inline void AppendFormatV(std::string& out, const char* fmt, va_list ap) __attribute__((format(printf, 2, 0)));
inline void AppendFormatV(std::string& out, const char* fmt, va_list ap) {
    va_list again;
    va_copy(again, ap);
    char line[512];
    const int n = std::vsnprintf(line, sizeof line, fmt, ap);
    if (n > 0 && static_cast<size_t>(n) < sizeof line) {
        out.append(line, static_cast<size_t>(n));
    } else if (n > 0) {
        // A longer text is formatted again in place rather than cut.
        const size_t old = out.size();
        out.resize(old + static_cast<size_t>(n) + 1);
        std::vsnprintf(&out[old], static_cast<size_t>(n) + 1, fmt, again);
        out.resize(old + static_cast<size_t>(n));
    }
    va_end(again);
}

inline void AppendFormat(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
inline void AppendFormat(std::string& out, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    AppendFormatV(out, fmt, ap);
    va_end(ap);
}
