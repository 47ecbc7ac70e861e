// Grid operations that the run driver and the other subsystems start.
#pragma once

int WriteKoosurfMpi();

// Writes the grid as `unstruc` (or `unstruc.dry`, `unstruc.dbg`,
// "unstruc.mpi%d") in the F 297 version, then its companion files. The
// number of dry columns inside the blocks (version 2 only), -4 when the grid
// file cannot be written, -3 when a companion file cannot.
int WriteUnstrucFile();
// Writes the grid as the next numbered "unstruc.%d" in version 1 when the
// outer iteration is a multiple of the first F 101 interval.
void WriteUnstrucSnapshot();

// Letter K: the roughness height of every column of block 1 from the bed
// points in it, columns without points smoothed from their neighbours,
// written to `bedrough.new`. 0 when there are no bed points, else 1.
int ComputeBedRoughness();
// 1 when bed point k lies strictly inside the plan quadrilateral of the
// bottom corners of cell c (counter-clockwise), else 0.
int IsPointInCell(int k, int c);

// Results of ReadUnstructure besides 0 (read and set up) and those of the
// set-up: -1 no memory for the arrays, -54/-55 a block beyond the G 1 sizes.
inline constexpr int kUnstrucMissing = -2;   // the file cannot be opened
inline constexpr int kUnstrucBadFile = -6;   // a value is missing, damaged or out of range
// Exit status when a version-2 file was made for other G 1 sizes.
inline constexpr int kUnstrucG1MismatchStatus = -5;

// Reads `unstruc` and goes on with the set-up of the grid it read.
int ReadUnstructure();
// The set-up after the grid file is read: companion files, metric,
// reference cells, discharge groups, columns. 0, or -58 for a koomin file
// that does not match the grid.
int SetUpAfterReadingGrid();
// Writes the companion files of the grid file; 1 when one cannot be written.
int WriteGridCompanionFiles();

void InterpolateGeodata();

// Builds the whole unstructured grid anew from the structured blocks and
// their node levels. 1 when the grid is complete, -1 when the arrays could
// not be allocated, -46 when the block-boundary records are full. A grid that
// outgrows the F 65 capacities is reported and ends the run.
int Unstructure();
// Exit status of a run whose generated grid outgrew the F 65 capacities.
inline constexpr int kGridOverflowStatus = -5;

// Turns the cell described by `CellWork` into cell `cell`: shares the points
// and faces of the faces it names as known, creates the others. At most 8
// points and 6 faces are added; the caller makes sure they fit. Returns 0.
int AddHexCell(int cell);

// The column-and-cell algorithms of the generator. Each fills the block
// ranges of the blocks it builds and returns false when a capacity ran out
// (the block in GenerationFailedBlock).
bool GenerateDefaultColumns();
bool GenerateSplitFaceColumns();
bool GenerateLayeredColumns();
bool GenerateFixedLevelColumns();
bool GenerateSteppedSlopeColumns();
bool BuildColumnsDirect();

// Blocks the generator appends or rebuilds, and its shoreline and block
// interface steps.
void AppendRefinedBlock();
void ConnectBlocks();
void FitShoreline();
void AdjustShorelineCells();
void AppendColumnLayerBlock(int block);
void AppendColumnLayerBlockAlt(int block);
void AddDepthAveragedBlock();
void AddDepthAveragedBlockAlt();

// Side-edge matching of top cells: 1 same orientation, 2 reversed, 0 none.
int CompareEdges(double xA, double xB, double x1, double x2, double yA, double yB, double y1, double y2);
// Joins the open side `side` (corners pointA, pointB) of top cell `cell` to a
// matching open side of another top cell: 1 joined, 0 no partner, -47 the
// pair list is full.
int AddSurfaceEdge(int pointA, int pointB, int cell, int side);
// Wet and dry rework of the level counts of one block's points ...
void MarkWetPoints(int iFirst, int iLast, int jFirst, int jLast);
// ... and of the layer counts of its columns.
void CleanWetColumns(int iFirst, int iLast, int jFirst, int jLast);

// The geometry of every cell and surface, the surface sides, distances, far
// cells and flow flags, the partners of the block-boundary records, the links
// of overlapping blocks and the column list `Cigrid`, from the points and the
// topology of the grid. A cell of no volume or with a column that is not
// vertical ends the run with status -1.
void metric();
// `Clink`: each cell of an overlapping block gets the nearest cell of the
// blocks one overlap level below it (0 for none).
void LinkBlockCells();

// The active cell and surface ranges of the computations, from the block
// selection (G 25), the appended layer block and the sediment mode (F 37).
void SetActiveCellRange();
// `PlanArea` of every column of the blocks of the computational grid.
void ComputePlanAreas();
// The F 94 depth thresholds from the largest plan area.
void ComputeF94Parameters();

// Whether the pressure force or the velocity correction takes missing side
// neighbours from the bed cell of the column (the arrays Ccellw_bottom ..
// Ccelln_bottom are then allocated and must be built with the grid).
bool BedNeighboursNeeded();
// Fills Ccellw_bottom .. Ccelln_bottom: for a cell above the bed cell of its
// column, on each side without a neighbour, the bed cell's neighbour there.
// Does nothing when the arrays are not allocated.
void BuildBedNeighbours();
