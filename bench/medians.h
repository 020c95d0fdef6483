// Google Benchmark's output in the format asked for, plus each benchmark's time kept by name for
// the summary that the benchmark programs print after the table.
#pragma once

#include <map>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

namespace bench {

// The value of --benchmark_format among the arguments ("console" when absent). Read before
// benchmark::Initialize, which removes the flags it knows.
std::string formatArgument(int argc, char** argv);

// Google Benchmark uses a reporter given to it in place of the one --benchmark_format asks for,
// so this one passes every report on to a reporter of that format.
class MedianReporter : public benchmark::BenchmarkReporter {
public:
    // "json", "csv" or "console"; the console table has colours only on a terminal, so a table
    // saved to a file stays plain text.
    explicit MedianReporter(const std::string& format = "console");
    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // Wall-clock seconds per iteration of the named benchmark: the median over the repetitions
    // when there were several, else the one run. Negative when the benchmark did not run.
    double seconds(const std::string& name) const;

    // "a / b = r (goal)" on standard error, when both ran; `atMost` > 0 or `atLeast` > 0 adds the
    // goal with "met" or "MISSED". Standard error, so that standard output holds the report alone.
    void printRatio(const std::string& a, const std::string& b, double atMost = 0, double atLeast = 0) const;

private:
    std::unique_ptr<benchmark::BenchmarkReporter> format_;
    std::map<std::string, double> medians_;
    std::map<std::string, double> singles_;
};

}  // namespace bench
