// The results dispatcher, its writers and the restart readers.
#pragma once

#include <string>

// Writes the outputs selected by F 329, F 48 and F 212, captioned by ResultTitle.
void WriteResults();
// The result file `result`, `resultb`, `result.csh` or numbered; the argument
// is ignored. A file that cannot be written ends the run with status -3.
void WriteResultFile(int unused);
// Letter O: reads compres, con2res and fracres back; 0, 2 without fracres, 88 on a bad index.
int ReadCon2resFiles();
// Letter R: restart from bedres and result.
void readres();
void WriteFracresFile(int unused);

// Plot files with the G 24 variables. A positive `block` only names the plan
// files after that block (the content is that of the F 268 block); a non-zero
// `numbered` numbers the whole-grid VTK plan file. A file that cannot be
// written ends the run with status -3.
void WriteTecplot2D(int numbered, int block);
void WriteTecplot3D(int numbered);
void WriteParaView3U(int numbered);
void WriteParaView2D(int numbered, int block);
// Values at the user points of `interpol`; a non-zero `numbered` numbers the file.
void WriteInterpolatedResults(int numbered);

// Tables of the dispatcher: all cell values, the bed points, the outline of
// the wet area and the habitat table (false when `habitat` cannot be written).
void WriteProbeFile();
void WriteBedPointFile();
void WriteBoundaryEdgeFile();
bool WriteHabitatTable();

// Exports that no run letter starts (the `rivax-export` tool reaches them). The grid and start fields as an
// OpenFOAM case in the working directory (eight files, 0 when written); the
// outline in `weir,txt` as the closed surface `weir.stl` (1, and no file,
// when `weir,txt` cannot be read). A file that cannot be written ends the run
// with status -3.
int WriteOpenFoamCase();
// The same files laid out as a case under `caseDirectory`, whose `system` and
// `0` directories must exist: `system/blockMeshDict`, the fields in `0/` and
// `levels`.
int WriteOpenFoamCaseIn(const std::string& caseDirectory);
int WriteWeirStl();
