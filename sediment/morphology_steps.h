// The smaller steps of the morphology time loop and the end of the run.
#pragma once

// conc into conc_old, sizes 1..NoSizes, over the active cells.
void CopyConcentrations();
// F 128 = 1: the pressure of slot 0 and of the active cells to 0.
void ZeroActivePressure();
// Adds sign x the thickness of bed layers 0 and 1 of each active column to
// Bmorphology.
void AddToBmorphology(double sign);
// The suspended volume of every size over the active cells (with conc into
// conc_old) and the old copies of the flow fields.
void KeepSuspendedVolumesAndOldFields();
// conc[0] of the active cells: the sum of the sizes.
void SumConcentrations();
// F 1 P: the wall-clock marks of the step into `boogie`.
void WriteTimingReport();
// F 1 H: one line of residuals and suspended volumes into `bootime`.
void AppendTimingRecord();
// The summary lines, con2res and the last results of a morphology run.
void EndMorphologyRun();
