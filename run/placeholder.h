// Operations that a later part of the engine provides. Until then each one
// logs that it is missing and returns its neutral result.
#pragma once

void ReportUnavailable(const char* operation);
