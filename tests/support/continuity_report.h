// Reading the sediment balance that a run with F 1 D writes to `boogie`.
#pragma once

#include <sstream>
#include <string>
#include <vector>

inline constexpr const char* kContinuitySizeHeader =
    "Size  Inflow (kg) Outflow  Suspension BedLayerCh  Bedchange  Defect     Defect2    Def,PST    Def2,PST\n";

// The values of the size-s row of the last step report: the size, inflow,
// outflow, suspension, layer change, bed change, the two defects and their
// percentages. Empty when the log holds no report.
inline std::vector<double> LastContinuitySizeRow(const std::string& log, int s) {
    const std::string header = kContinuitySizeHeader;
    const size_t at = log.rfind(header);
    if (at == std::string::npos) return {};
    std::istringstream in(log.substr(at + header.size()));
    std::string line;
    for (int k = 1; k <= s; ++k) std::getline(in, line);
    std::istringstream row(line);
    std::vector<double> values;
    for (double v; row >> v;) values.push_back(v);
    return values;
}
