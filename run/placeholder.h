// Operations that a later part of the engine provides. Until then each one
// logs that it is missing (once per pass over the F 2 letters) and returns
// its neutral result.
#pragma once

void ReportUnavailable(const char* operation);

// A new run or pass over the letters reports every missing operation again.
void ForgetUnavailableReports();
