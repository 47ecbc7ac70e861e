#include "run/export_tool.h"

int main(int argc, char** argv) { return RunExportTool(argc - 1, argv + 1); }
