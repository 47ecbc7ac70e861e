// A closed triangulated surface of a structure, from its outline given as
// pairs of points in `weir,txt`, as the ASCII STL file `weir.stl`.
#include <cstdio>
#include <vector>

#include "output/output_names.h"
#include "output/output_services.h"
#include "run/output_file.h"

namespace {

constexpr int kMaxWeirLines = 499;

struct Vertex {
    double x, y, z;
};

void WriteFacet(FILE* fp, const Vertex& a, const Vertex& b, const Vertex& c) {
    std::fprintf(fp, " facet normal 0 0 0\n");
    std::fprintf(fp, "  outer loop\n");
    for (const Vertex* v : {&a, &b, &c}) std::fprintf(fp, "   vertex %lf %lf %lf\n", v->x, v->y, v->z);
    std::fprintf(fp, "  endloop\n");
    std::fprintf(fp, " endfacet\n");
}

Vertex Centroid(const std::vector<Vertex>& ring, size_t n) {
    Vertex c{0.0, 0.0, 0.0};
    for (size_t k = 0; k < n; ++k) {
        c.x += ring[k].x;
        c.y += ring[k].y;
        c.z += ring[k].z;
    }
    c.x /= n;
    c.y /= n;
    c.z /= n;
    return c;
}

// A band between the two rings and a fan closing each ring at its centroid.
void WriteWeir(FILE* fp, std::vector<Vertex>& p, std::vector<Vertex>& q) {
    std::fprintf(fp, "solid weir_construction\n");
    const size_t n = p.size();
    if (n > 0) {
        const Vertex pc = Centroid(p, n), qc = Centroid(q, n);
        p.push_back(p[0]);
        q.push_back(q[0]);
        for (size_t k = 0; k < n; ++k) {
            WriteFacet(fp, p[k], q[k], p[k + 1]);
            WriteFacet(fp, p[k + 1], q[k], q[k + 1]);
        }
        for (size_t k = 0; k < n; ++k) WriteFacet(fp, p[k], p[k + 1], pc);
        for (size_t k = 0; k < n; ++k) WriteFacet(fp, q[k + 1], q[k], qc);
    }
    std::fprintf(fp, "endsolid rivaxsurf");
}

}  // namespace

int WriteWeirStl() {
    FILE* in = std::fopen("weir,txt", "r");
    if (!in) return 1;
    std::vector<Vertex> p, q;
    Vertex a, b;
    while (p.size() < kMaxWeirLines &&
           std::fscanf(in, "%lf %lf %lf %lf %lf %lf\n", &a.x, &a.y, &a.z, &b.x, &b.y, &b.z) == 6) {
        p.push_back(a);
        q.push_back(b);
    }
    std::fclose(in);
    if (!WriteOutputFile("weir.stl", [&](FILE* fp) { WriteWeir(fp, p, q); })) FailOutputFile("weir.stl", "weir.stl");
    return 0;
}
