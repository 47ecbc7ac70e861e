// A whole flow over a channel with its column-layer block: letter D solves
// block 1 only, the layer block under it keeps its fixed viscosity, its base
// cells are held still and the bed-stress ratios stay finite.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"
#include "tests/grid/layer_channel.h"
#include "tests/support/project_dir.h"

namespace {

// The 10 x 5 channel of the layer-block runs with the example's flow settings
// (1 m3/s, M 50, k-epsilon, the example's relaxation and sweeps), regenerated
// by Y with its layer block of fixed viscosity |-5|, flow through block 1 only
// (F 289 3rd 7: the base cells are blocked).
ChannelSpec LayerFlowChannel() {
    ChannelSpec spec = LayerChannel("UYDM", 14, "F 236 2 -5 0 0.8");
    spec.discharge = 1.0;
    spec.extraControl +=
        "F 289 3 0 0 7\nF 212 9\nW 1 50 1 11\nF 24 0\nK 1 5000\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n";
    return spec;
}

double ReportedFlux(const std::string& spe) {
    const std::string key = "Discharge (l/s): flux: ";
    const size_t at = spe.find(key);
    if (at == std::string::npos) return NAN;
    return std::strtod(spe.c_str() + at + key.size(), nullptr);
}

TEST(ColumnLayerBlockFlow, ConvergesWithTheLayerBlockHeldStill) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), LayerFlowChannel()));
    const int status = dir.runInProcess();
    const std::string log = dir.read("boogie");
    ASSERT_EQ(status, 1) << log;
    EXPECT_NE(log.find("Solution converged"), std::string::npos) << log;
    // Block 1 alone carries the discharge: no face joins it to block 2.
    EXPECT_NEAR(ReportedFlux(dir.read("boogie.spe")), 1000.0, 1.0);

    ASSERT_EQ(NoBlocks, 2);
    const BlockRecord& layer = BlockTable[2];
    ASSERT_EQ(layer.layerBlock, 1);
    ASSERT_EQ(layer.lastCell - layer.firstCell + 1, 50);
    for (int c = layer.firstCell; c <= layer.lastCell; ++c) {
        SCOPED_TRACE(c);
        EXPECT_DOUBLE_EQ(Ceddyvisc[c], 5.0);
        // First build: the lower level lies on the bed, so every cell is a base cell.
        EXPECT_EQ(Ccellt[c], 0);
        EXPECT_EQ(Cu[c], 0.0);
        EXPECT_EQ(Cv[c], 0.0);
        EXPECT_EQ(Cw[c], 0.0);
    }
    int nonFinite = 0;
    for (int c = 1; c <= NoCells; ++c) nonFinite += std::isfinite(CstressRatio[c]) ? 0 : 1;
    EXPECT_EQ(nonFinite, 0);
}

}  // namespace
