// The cipher benchmarks' console report, followed by one table per cipher in
// decimal MB/s: every engine path and every yardstick, with the engine's
// ratio to the best yardstick measured in the same run; then key setting.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace cipherbench {

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(OutputOptions options)
        : ConsoleReporter(options)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Best {
        double mbps = 0;
        double ns = 0;
        std::string label;
    };
    std::map<std::string, Best> m_best;
    std::set<std::string> m_seenIterations;
    bool m_medians = false;

    void record(const Run& run);
    void throughput_table() const;
    void key_table() const;
    void gcm_table() const;
    const Best* find(const std::string& name) const;
};

} // namespace cipherbench
