// A rectangular channel as a project directory: `control`, `unstruc` and
// `koordina`, built without the engine so that tests can hold the engine's
// reading, generation and flow against a grid known by construction.
#pragma once

#include <string>

struct ChannelSpec {
    int columnsAlong = 8;    // grid columns along the channel (i)
    int columnsAcross = 3;   // grid columns across it (j)
    int gridLinesZ = 5;      // G 1 third value; every column gets gridLinesZ - 1 cell layers
    double length = 8.0;     // m, along x
    double width = 3.0;      // m, along y
    double depth = 1.0;      // m, the same everywhere: the water surface follows the bed
    double bedLevel = 0.0;   // m, bed at the upstream (west) end
    double bedSlope = 0.0;   // bed drop per metre along the channel
    double x0 = 0.0, y0 = 0.0;
    int version = 4;         // 3: points, cells and surfaces too; 4: blocks and nodes only
    double discharge = 0.0;  // m3/s; above 0: an inflow group at the west end, an outflow group at the east end
    std::string letters = "UHX";  // the F 2 letters
    std::string extraControl;     // more data sets, appended to `control` as they stand
};

struct ChannelProject {
    std::string control;
    std::string unstruc;
    std::string koordina;
    int cells = 0, surfaces = 0, points = 0;
};

// The three files of the channel, in the engine's formats. The cells are
// numbered as the default generation numbers them: columns j outer, i inner,
// each column from the bed upwards.
ChannelProject MakeChannelProject(const ChannelSpec& spec);

// Writes the three files into `dir`; false when one cannot be written.
bool WriteChannelProject(const std::string& dir, const ChannelSpec& spec);
