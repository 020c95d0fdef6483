// Console output of Google Benchmark, plus each benchmark's time kept by name for the summary
// that the benchmark programs print after the table.
#pragma once

#include <map>
#include <string>

#include <benchmark/benchmark.h>

namespace bench {

class MedianReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: a table saved to a file stays plain text.
    MedianReporter();
    void ReportRuns(const std::vector<Run>& runs) override;

    // Wall-clock seconds per iteration of the named benchmark: the median over the repetitions
    // when there were several, else the one run. Negative when the benchmark did not run.
    double seconds(const std::string& name) const;

    // "a / b = r (goal)" on standard output, when both ran; `atMost` > 0 or `atLeast` > 0 adds the
    // goal with "met" or "MISSED".
    void printRatio(const std::string& a, const std::string& b, double atMost = 0, double atLeast = 0) const;

private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> singles_;
};

}  // namespace bench
