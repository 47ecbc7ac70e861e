// The small node and column files that travel beside the grid file.
#pragma once

// `koordina`: node coordinates, bed and water level.
void ReadKoordinaFile();
// `koomink` or `koomin`, or the levels that replace them: 0, or -58 for a
// file whose points do not match the grid nodes.
int ReadKoominFile();
// `bedrough`: roughness heights over the defaults already in `GridBedRough`.
void ReadBedroughFile();
// `bedangle`: slope angles per water column.
void ReadBedangleFile();
// `alpha1`: a volume-fraction field whose 0.5 crossing becomes the water level.
void ReadAlpha1File();

void WriteKoosurfFiles();
void WriteKoordinaNew();
