// The bed-neighbour arrays: allocated and built for every option that reads
// them, also for a grid that is read rather than generated.
#include <string>

#include "tests/grid/unstruc_case.h"

namespace {

using BedNeighbours = UnstrucCase;

TEST_F(BedNeighbours, BuiltWhenAGridIsRead) {
    for (const char* option : {"F 114 20\n", "F 114 35\n", "F 157 20\n"}) {
        SCOPED_TRACE(option);
        const ChannelProject channel = Channel(3);
        Start(channel.control + option);
        ASSERT_TRUE(Ccellw_bottom.exists());
        // Marks that only the build clears: the channel's columns all have
        // the same layers, so no cell takes a neighbour from its bed cell.
        for (Array1<int>* a : {&Ccellw_bottom, &Ccelle_bottom, &Ccells_bottom, &Ccelln_bottom}) a->fill(-1);
        const EngineCall read = Read(channel.unstruc);
        ASSERT_FALSE(read.ended) << read.log;
        for (int c = 0; c <= NoCells; ++c) {
            EXPECT_EQ(Ccellw_bottom[c] | Ccelle_bottom[c] | Ccells_bottom[c] | Ccelln_bottom[c], 0) << "cell " << c;
        }
    }
    Start(Channel(3).control + "F 114 19\nF 157 10\n");
    EXPECT_FALSE(Ccellw_bottom.exists());
    const EngineCall read = Read(Channel(3).unstruc);
    EXPECT_FALSE(read.ended) << read.log;
}

}  // namespace
