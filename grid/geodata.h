// Bed points of `geodata` and their interpolation onto the structured grid.
#pragma once

#include "run/arrays.h"

// Points 0..NoGeodataPoints-1, scaled and shifted by F 225 as they were read.
extern Array1<double> GeodataX;
extern Array1<double> GeodataY;
extern Array1<double> GeodataZ;

inline constexpr const char* kGeodataLogName = "boogie.bed";

// Results of ReadGeodataFile besides 0 (read; NoGeodataPoints may still be 0).
inline constexpr double kGeodataLogUnavailable = -1.0;  // `boogie.bed` cannot be created
inline constexpr double kGeodataMissing = -2.0;         // the bed-point file cannot be opened

// Reads the bed-point file into the point arrays and NoGeodataPoints, with its
// counts in a fresh `boogie.bed`. Points that cannot be held end the run.
double ReadGeodataFile();

// The nearest point of each quadrant around a node: quadrants 1..4 at
// indexes 0..3, point -1 and distance 1e10 for an empty quadrant.
struct QuadrantPoints {
    int point[4];
    double distance[4];
};

// The node levels from the points found around it (slot 1 of Gridz).
struct NodeLevel {
    double level;
    double weight[4];  // the share of each quadrant's point in the level
    int found;         // quadrants that hold a point
    bool approximate;  // a quadrant pair is incomplete: the warnings apply
};
NodeLevel LevelFromQuadrants(const QuadrantPoints& q, const double* z, int weights);

// Search radius above which the points are not windowed around the node.
inline constexpr double kGeodataWindowLimit = 10000.0;
// Distance with which a quadrant starts empty: a point this far never counts.
inline constexpr double kGeodataEmptyDistance = 1e10;
