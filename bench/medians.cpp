// Console output of Google Benchmark, plus each benchmark's time kept by name.
#include "medians.h"

#include <cstdio>

#include <unistd.h>

namespace bench {

MedianReporter::MedianReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular)
{
}

void MedianReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
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
    std::printf("  %-22s / %-22s = %8.3g", a.c_str(), b.c_str(), ratio);
    if (atMost > 0)
        std::printf("   goal at most %.1f: %s", atMost, ratio <= atMost ? "met" : "MISSED");
    if (atLeast > 0)
        std::printf("   goal at least %.1f: %s", atLeast, ratio >= atLeast ? "met" : "MISSED");
    std::printf("\n");
}

}  // namespace bench
