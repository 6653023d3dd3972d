// One row of the benchmark table that scripts/bench prints: every benchmark writes its
// figures as a line "BENCH|what|our seconds|baseline|baseline seconds|ratio|aim".
#pragma once

#include <cstdio>
#include <string>

inline void PrintBenchRow(const std::string& what, double ours, const std::string& baseline,
                          double baselineValue, const std::string& aim, const char* unit = "s") {
  std::printf("BENCH|%s|%.4g %s|%s|%.4g %s|%.2f|%s\n", what.c_str(), ours, unit, baseline.c_str(),
              baselineValue, unit, baselineValue > 0 ? ours / baselineValue : 0.0, aim.c_str());
}
