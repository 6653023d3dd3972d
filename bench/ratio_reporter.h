// A console reporter that ends with the time of one benchmark as a ratio to another's,
// both measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "bench_row.h"

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // aim: the ratio the work aims at, as text ("-" when none).
  RatioReporter(std::string subject, std::string baseline, std::string aim = "-")
      : subject_(std::move(subject)), baseline_(std::move(baseline)), aim_(std::move(aim)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.iterations > 0)
        perIteration_[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    double subject = perIteration_[subject_], baseline = perIteration_[baseline_];
    if (subject > 0 && baseline > 0) {
      std::printf("%s / %s, time ratio: %.2f (%.0f and %.0f per second)\n", subject_.c_str(),
                  baseline_.c_str(), subject / baseline, 1 / subject, 1 / baseline);
      PrintBenchRow(subject_, subject, baseline_, baseline, aim_);
    }
  }

 private:
  std::string subject_, baseline_, aim_;
  std::map<std::string, double> perIteration_;
};
