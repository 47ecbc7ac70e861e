#include "tools/channel_project.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <tuple>
#include <vector>

#include "run/text_format.h"

namespace {

struct Face {
    int point[4];
    int cell1, cell2;
};

// The channel's structured nodes, i = 1..nI+1 and j = 1..nJ+1, and its
// columns i = 2..nI+1, j = 2..nJ+1 (one block), each with `layers` cells.
class Channel {
public:
    explicit Channel(const ChannelSpec& s)
        : spec_(s), nI_(std::max(1, s.columnsAlong)), nJ_(std::max(1, s.columnsAcross)),
          layers_(std::max(1, s.gridLinesZ - 1)) {
        buildFaces();
    }

    int gridLinesX() const { return std::max(4, nI_ + 2); }
    int gridLinesY() const { return std::max(4, nJ_ + 2); }
    int gridLinesZ() const { return layers_ + 1; }
    int cells() const { return nI_ * nJ_ * layers_; }
    int points() const { return (nI_ + 1) * (nJ_ + 1) * (layers_ + 1); }
    int surfaces() const { return static_cast<int>(faces_.size()); }

    double x(int i) const { return spec_.x0 + (i - 1) * spec_.length / nI_; }
    double y(int j) const { return spec_.y0 + (j - 1) * spec_.width / nJ_; }
    double bed(int i) const { return spec_.bedLevel - spec_.bedSlope * (x(i) - spec_.x0); }
    double z(int i, int k) const { return bed(i) + spec_.depth * k / layers_; }

    int point(int i, int j, int k) const { return ((i - 1) * (nJ_ + 1) + (j - 1)) * (layers_ + 1) + k + 1; }
    bool column(int i, int j) const { return i >= 2 && i <= nI_ + 1 && j >= 2 && j <= nJ_ + 1; }
    int cell(int i, int j, int l) const {
        if (!column(i, j) || l < 1 || l > layers_) return 0;
        return ((j - 2) * nI_ + (i - 2)) * layers_ + l;
    }

    // Corner k (1..8) of cell (i, j, l): 1..4 counter-clockwise from the
    // -i/-j node at the bottom, 5..8 above them.
    int corner(int i, int j, int l, int k) const {
        static const int di[4] = {-1, 0, 0, -1};
        static const int dj[4] = {-1, -1, 0, 0};
        const int n = (k - 1) % 4;
        return point(i + di[n], j + dj[n], k <= 4 ? l - 1 : l);
    }

    std::string unstruc() const;
    std::string koordina() const;
    std::string control() const;

private:
    // Sides south, east, north, west, bottom, top: the face key, the corners
    // of the face in point order, and the cells on its -/+ sides.
    struct SideFace {
        std::tuple<int, int, int, int> key;
        int corners[4];
        int minus, plus;
    };
    SideFace side(int i, int j, int l, int s) const {
        switch (s) {
            case 0: return {{1, i, j - 1, l}, {1, 5, 6, 2}, cell(i, j - 1, l), cell(i, j, l)};
            case 1: return {{0, i, j, l}, {2, 3, 7, 6}, cell(i, j, l), cell(i + 1, j, l)};
            case 2: return {{1, i, j, l}, {4, 8, 7, 3}, cell(i, j, l), cell(i, j + 1, l)};
            case 3: return {{0, i - 1, j, l}, {1, 4, 8, 5}, cell(i - 1, j, l), cell(i, j, l)};
            case 4: return {{2, i, j, l - 1}, {1, 2, 3, 4}, cell(i, j, l - 1), cell(i, j, l)};
            default: return {{2, i, j, l}, {5, 6, 7, 8}, cell(i, j, l), cell(i, j, l + 1)};
        }
    }

    void buildFaces() {
        for (int j = 2; j <= nJ_ + 1; ++j) {
            for (int i = 2; i <= nI_ + 1; ++i) {
                for (int l = 1; l <= layers_; ++l) {
                    for (int s = 0; s < 6; ++s) {
                        SideFace f = side(i, j, l, s);
                        auto [it, fresh] = faceIds_.emplace(f.key, surfaces() + 1);
                        if (fresh) {
                            Face face{{}, f.minus, f.plus};
                            for (int k = 0; k < 4; ++k) face.point[k] = corner(i, j, l, f.corners[k]);
                            faces_.push_back(face);
                        }
                        faceOf_[s].push_back(it->second);
                    }
                }
            }
        }
    }

    int faceOfCell(int c, int s) const { return faceOf_[s][static_cast<size_t>(c - 1)]; }
    void appendGroups(std::string& out) const;

    ChannelSpec spec_;
    int nI_, nJ_, layers_;
    std::vector<Face> faces_;
    std::map<std::tuple<int, int, int, int>, int> faceIds_;
    std::vector<int> faceOf_[6];  // per side, the face of cell c at c - 1
};

std::string Channel::unstruc() const {
    std::string out;
    const int version = spec_.version == 3 ? 3 : 4;
    AppendFormat(out, "%d %d %d %d %d %d %d %d\n", version, cells(), surfaces(), 1, 0, 0, 0, points());
    if (version == 3) {
        for (int i = 1; i <= nI_ + 1; ++i) {
            for (int j = 1; j <= nJ_ + 1; ++j) {
                for (int k = 0; k <= layers_; ++k) AppendFormat(out, "%lf %lf %lf\n", x(i), y(j), z(i, k));
            }
        }
        for (int j = 2; j <= nJ_ + 1; ++j) {
            for (int i = 2; i <= nI_ + 1; ++i) {
                for (int l = 1; l <= layers_; ++l) {
                    const int c = cell(i, j, l);
                    for (int k = 1; k <= 8; ++k) AppendFormat(out, "%d ", corner(i, j, l, k));
                    for (int s = 0; s < 6; ++s) AppendFormat(out, "%d ", faceOfCell(c, s));
                    for (int s = 0; s < 6; ++s) {
                        SideFace f = side(i, j, l, s);
                        AppendFormat(out, "%d ", f.minus == c ? f.plus : f.minus);
                    }
                    out += '\n';
                }
            }
        }
        for (const Face& f : faces_) {
            AppendFormat(out, "%d %d %d %d %d %d \n", f.point[0], f.point[1], f.point[2], f.point[3], f.cell1, f.cell2);
        }
    }
    // One block: columns 2..nI+1 by 2..nJ+1, its cell layers generated from
    // the water depth (field 8).
    AppendFormat(out, "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %lf %lf\n", 2, nI_ + 1, 2, nJ_ + 1, 0, 1, 0,
                 0, 0, 0, 1, cells(), 1, surfaces(), 1, points(), 0, 0.0, 0.0);
    appendGroups(out);
    for (int g = 0; g < 10; ++g) AppendFormat(out, "%d %d %lf \n", 0, 0, 0.0);
    for (int i = 1; i <= nI_ + 1; ++i) {
        for (int j = 1; j <= nJ_ + 1; ++j) {
            AppendFormat(out, "%d %lf %lf %lf %lf \n", cell(i, j, 1), bed(i), z(i, layers_), x(i), y(j));
        }
    }
    return out;
}

// Groups 1 and 2 span the west and the east end of the channel, located by
// the midpoints of the node segments there; the others keep the start
// values of the control reader.
void Channel::appendGroups(std::string& out) const {
    for (int g = 1; g <= 9; ++g) {
        if (spec_.discharge <= 0.0 || g > 2) {
            AppendFormat(out, "%d %d %d %d %d %d %d %lf %lf\n\n", 1, 0, 0, 1, 151, 0, 0, 0.0, 0.0);
            continue;
        }
        const int line = g == 1 ? 1 : nI_ + 1;  // the node line of the channel end
        std::vector<int> list;
        if (spec_.version == 3) {
            for (int j = 2; j <= nJ_ + 1; ++j) {
                // From the surface down, the order in which the engine finds them.
                for (int l = layers_; l >= 1; --l) {
                    list.push_back(faceIds_.at({0, line, j, l}));
                }
            }
        }
        AppendFormat(out, "%d %d %d %d %d %d %d %lf %lf\n", g == 1 ? 1 : 0, 0, 0, 1, gridLinesZ() + 2,
                     static_cast<int>(list.size()), nJ_, spec_.discharge * 1000.0, 0.0);
        for (int s : list) AppendFormat(out, "%d ", s);
        out += '\n';
        for (int j = 2; j <= nJ_ + 1; ++j) AppendFormat(out, "%lf %lf\n", x(line), 0.5 * (y(j - 1) + y(j)));
    }
}

std::string Channel::koordina() const {
    std::string out;
    for (int i = 1; i <= nI_ + 1; ++i) {
        for (int j = 1; j <= nJ_ + 1; ++j) {
            AppendFormat(out, "%d %d %lf %lf %lf %lf\n", i, j, x(i), y(j), bed(i), z(i, layers_));
        }
    }
    return out;
}

std::string Channel::control() const {
    std::string out;
    AppendFormat(out, "T Rectangular channel, %d by %d columns of %d layers\n", nI_, nJ_, layers_);
    AppendFormat(out, "F 2 %s\n", spec_.letters.c_str());
    AppendFormat(out, "G 1 %d %d %d 1\n", gridLinesX(), gridLinesY(), gridLinesZ());
    // Room for a regenerated grid twice the size of this one.
    AppendFormat(out, "F 65 %d %d %d 10000 1000\n", std::max(50000, 2 * cells() + 100),
                 std::max(80000, 2 * surfaces() + 100), std::max(50000, 2 * points() + 100));
    // The generator's default cleaning drops every column with fewer than two
    // wet sides, pass after pass: a channel one column wide would lose its end
    // columns, then their neighbours, until no cell is left. Its columns are
    // all wet by construction, so it needs none of the column removals.
    if (nI_ == 1 || nJ_ == 1) out += "F 159 0 0 0 0 0\n";
    out += spec_.extraControl;
    return out;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
    f.close();
    return static_cast<bool>(f);
}

}  // namespace

ChannelProject MakeChannelProject(const ChannelSpec& spec) {
    Channel channel(spec);
    ChannelProject p;
    p.control = channel.control();
    p.unstruc = channel.unstruc();
    p.koordina = channel.koordina();
    p.cells = channel.cells();
    p.surfaces = channel.surfaces();
    p.points = channel.points();
    return p;
}

bool WriteChannelProject(const std::string& dir, const ChannelSpec& spec) {
    ChannelProject p = MakeChannelProject(spec);
    return WriteText(dir + "/control", p.control) && WriteText(dir + "/unstruc", p.unstruc) &&
           WriteText(dir + "/koordina", p.koordina);
}
