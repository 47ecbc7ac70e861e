// Notices of the solvers about settings they cannot serve: each text is
// appended to `boogie` once per run, however often the solver is called.
#pragma once

void NoticeOnce(const char* text);
