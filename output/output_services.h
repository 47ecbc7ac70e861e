// The results dispatcher and the restart readers.
#pragma once

// Writes the outputs selected by F 329 and F 48, captioned by ResultTitle.
void WriteResults();
// Letter O: reads compres, con2res and fracres back; 0, 2 without fracres, 88 on a bad index.
int ReadCon2resFiles();
// Letter R: restart from bedres and result.
void readres();
void WriteFracresFile(int unused);
