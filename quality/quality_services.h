// Water-quality component operations used by the run driver.
#pragma once

int ComputeComponents();
int WriteCompresFile();
// Reaction, exchange and inflow terms of component Equation - 8, added to
// Cap and Csource of the cells.
void ComputeComponentSources();
