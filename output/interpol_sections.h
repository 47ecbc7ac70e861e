// The vertical section along the line of the user points as a VTK structured
// grid one hundredth of a metre thick: the horizontal speed or the sediment
// concentrations at each level below each point.
#pragma once

#include <vector>

#include "output/interpol_points.h"

enum class SectionKind { kVelocities, kConcentrations };

// `ParaView2c.vtk` or `ParaView2cc.vtk`, numbered pav2c_NNNNN.vtk or
// pav2cc_NNNNN.vtk with numbered output on. A file that cannot be written
// ends the run with status -3.
void WriteSectionFile(SectionKind kind, const std::vector<PointColumns>& points);
