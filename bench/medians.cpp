// Google Benchmark's output in the format asked for, plus each benchmark's time kept by name.
#include "medians.h"

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace bench {

std::string formatArgument(int argc, char** argv)
{
    const char flag[] = "--benchmark_format=";
    std::string format = "console";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], flag, sizeof flag - 1) == 0)
            format = argv[i] + sizeof flag - 1;  // the last one wins, as in Google Benchmark
    return format;
}

MedianReporter::MedianReporter(const std::string& format)
{
    using benchmark::ConsoleReporter;
    if (format == "json") {
        format_ = std::make_unique<benchmark::JSONReporter>();
    } else if (format == "csv") {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        format_ = std::make_unique<benchmark::CSVReporter>();
#pragma GCC diagnostic pop
    } else {
        format_ = std::make_unique<ConsoleReporter>(isatty(STDOUT_FILENO) ? ConsoleReporter::OO_Defaults
                                                                          : ConsoleReporter::OO_Tabular);
    }
}

bool MedianReporter::ReportContext(const Context& context)
{
    return format_->ReportContext(context);
}

void MedianReporter::Finalize()
{
    format_->Finalize();
}

void MedianReporter::ReportRuns(const std::vector<Run>& runs)
{
    format_->ReportRuns(runs);
    for (const Run& run : runs) {
        const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const std::string name = run.run_name.str();
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median")
                medians_[name] = seconds;
        } else {
            singles_[name] = seconds;
        }
    }
}

double MedianReporter::seconds(const std::string& name) const
{
    auto median = medians_.find(name);
    if (median != medians_.end())
        return median->second;
    auto single = singles_.find(name);
    return single != singles_.end() ? single->second : -1;
}

void MedianReporter::printRatio(const std::string& a, const std::string& b, double atMost, double atLeast) const
{
    const double ta = seconds(a), tb = seconds(b);
    if (ta < 0 || tb < 0)
        return;
    const double ratio = ta / tb;
    std::fprintf(stderr, "  %-22s / %-22s = %8.3g", a.c_str(), b.c_str(), ratio);
    if (atMost > 0)
        std::fprintf(stderr, "   goal at most %.1f: %s", atMost, ratio <= atMost ? "met" : "MISSED");
    if (atLeast > 0)
        std::fprintf(stderr, "   goal at least %.1f: %s", atLeast, ratio >= atLeast ? "met" : "MISSED");
    std::fprintf(stderr, "\n");
}

}  // namespace bench
