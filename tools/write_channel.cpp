// rivax-channel DIR [key=value ...]: writes a rectangular-channel project
// (control, unstruc, koordina) into DIR, e.g.
//   rivax-channel examples/channel along=8 across=3 z=5 version=3 letters=UHX
// Each control=LINE appends LINE to `control` as a data set of its own.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/channel_project.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: rivax-channel DIR [along=N] [across=N] [z=N] [length=M] [width=M] [depth=M]\n"
                 "                     [bed=M] [slope=S] [x0=M] [y0=M] [version=3|4] [discharge=Q] [letters=F2]\n"
                 "                     [control=LINE ...]\n");
    return 2;
}

bool Number(const char* text, double* v) {
    char* end = nullptr;
    *v = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool Set(ChannelSpec& s, const std::string& key, const char* value) {
    if (key == "letters") {
        s.letters = value;
        return true;
    }
    if (key == "control") {
        s.extraControl += std::string(value) + "\n";
        return true;
    }
    double v = 0.0;
    if (!Number(value, &v)) return false;
    if (key == "along") s.columnsAlong = static_cast<int>(v);
    else if (key == "across") s.columnsAcross = static_cast<int>(v);
    else if (key == "z") s.gridLinesZ = static_cast<int>(v);
    else if (key == "length") s.length = v;
    else if (key == "width") s.width = v;
    else if (key == "depth") s.depth = v;
    else if (key == "bed") s.bedLevel = v;
    else if (key == "slope") s.bedSlope = v;
    else if (key == "x0") s.x0 = v;
    else if (key == "y0") s.y0 = v;
    else if (key == "version") s.version = static_cast<int>(v);
    else if (key == "discharge") s.discharge = v;
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    ChannelSpec spec;
    for (int a = 2; a < argc; ++a) {
        const char* eq = std::strchr(argv[a], '=');
        if (!eq || !Set(spec, std::string(argv[a], static_cast<size_t>(eq - argv[a])), eq + 1)) return Usage();
    }
    if (spec.columnsAlong < 1 || spec.columnsAcross < 1 || spec.gridLinesZ < 2 || spec.length <= 0.0 ||
        spec.width <= 0.0 || spec.depth <= 0.0 || (spec.version != 3 && spec.version != 4)) {
        std::fprintf(stderr, "rivax-channel: sizes must be positive, z at least 2, version 3 or 4\n");
        return 2;
    }
    if (!WriteChannelProject(argv[1], spec)) {
        std::fprintf(stderr, "rivax-channel: cannot write the project into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
