// Water-quality component operations used by the run driver.
#pragma once

int ComputeComponents();
int WriteCompresFile();
