// The cipher benchmarks' summary tables.
#include "bench/cipher_summary.h"

#include "bench/cipher_bench.h"
#include "bench/gcm_bench.h"

#include <algorithm>
#include <cstdio>

namespace cipherbench {

namespace {

double to_ns(benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kSecond:
        return 1e9;
    case benchmark::kMillisecond:
        return 1e6;
    case benchmark::kMicrosecond:
        return 1e3;
    case benchmark::kNanosecond:
        break;
    }
    return 1;
}

std::string format(const char* pattern, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

// The table wants each repetition's own figures; the console shows those and
// leaves out the aggregates, which the table's best run supersedes. Asked for
// aggregates only, we get nothing else and fall back on medians.
void SummaryReporter::ReportRuns(const std::vector<Run>& runs)
{
    std::vector<Run> shown;
    for (const Run& run : runs) {
        const std::string& name = run.run_name.function_name;
        if (run.run_type == Run::RT_Iteration) {
            m_seenIterations.insert(name);
        } else if (m_seenIterations.count(name) != 0) {
            continue;
        } else if (run.aggregate_name != "median") {
            shown.push_back(run);
            continue;
        }
        shown.push_back(run);
        if (!run.error_occurred)
            record(run);
        if (run.run_type != Run::RT_Iteration)
            m_medians = true;
    }
    if (!shown.empty())
        ConsoleReporter::ReportRuns(shown);
}

void SummaryReporter::Finalize()
{
    ConsoleReporter::Finalize();
    throughput_table();
    gcm_table();
    key_table();
    std::fflush(stdout);
}

void SummaryReporter::record(const Run& run)
{
    Best& best = m_best[run.run_name.function_name];
    const auto bps = run.counters.find("bytes_per_second");
    if (bps != run.counters.end())
        best.mbps = std::max(best.mbps, bps->second.value / 1e6);
    const double ns = run.GetAdjustedCPUTime() * to_ns(run.time_unit);
    best.ns = best.ns == 0 ? ns : std::min(best.ns, ns);
    best.label = run.report_label;
}

const SummaryReporter::Best* SummaryReporter::find(const std::string& name) const
{
    const auto it = m_best.find(name);
    return it == m_best.end() ? nullptr : &it->second;
}

// Per cipher: each implementation's encrypt and decrypt rate; the engine's
// rows also give their ratio to the fastest yardstick (marked *) per direction.
void SummaryReporter::throughput_table() const
{
    std::printf("\nThroughput, MB/s (10^6 bytes/s), %s, 1 MiB in place, one thread, CPU time\n",
        m_medians ? "median" : "best run");
    std::printf("%-8s %-40s %10s %10s %9s %9s\n", "cipher", "implementation [provider]", "encrypt", "decrypt",
        "enc ratio", "dec ratio");
    const char* const ops[2] = { "/encrypt", "/decrypt" };
    for (const Cipher& c : kCiphers) {
        double best[2] = { 0, 0 };
        for (const Entry& e : entries())
            if (e.cipher == c.label && e.yardstick)
                for (int d = 0; d < 2; ++d)
                    if (const Best* b = find(e.id + ops[d]))
                        best[d] = std::max(best[d], b->mbps);
        for (const Entry& e : entries()) {
            if (e.cipher != c.label)
                continue;
            std::string cells[4] = { "-", "-", "", "" };
            std::string provider;
            for (int d = 0; d < 2; ++d) {
                const Best* b = find(e.id + ops[d]);
                if (b == nullptr || b->mbps == 0)
                    continue;
                provider = b->label;
                cells[d] = format("%.1f", b->mbps);
                if (e.yardstick && b->mbps == best[d])
                    cells[d] += "*";
                if (!e.yardstick && best[d] > 0)
                    cells[2 + d] = format("%.2fx", b->mbps / best[d]);
            }
            if (cells[0] == "-" && cells[1] == "-")
                continue; // filtered out of this run
            std::string caption = e.caption;
            if (!provider.empty() && caption.find(provider) == std::string::npos)
                caption += " [" + provider + "]";
            std::printf("%-8s %-40s %10s %10s %9s %9s\n", c.label, caption.c_str(), cells[0].c_str(), cells[1].c_str(),
                cells[2].c_str(), cells[3].c_str());
        }
    }
}

// Per 128-bit cipher: the engine's GCM (64 KiB messages) against OpenSSL's
// aes-256-gcm for AES, and against the same cipher's bulk ECB rate (the
// compatible format's work) on the engine's level.
void SummaryReporter::gcm_table() const
{
    bool headed = false;
    const char* const ops[2] = { "/encrypt", "/decrypt" };
    for (const Cipher& c : kCiphers) {
        std::string cells[6] = { "-", "-", "", "", "", "" };
        bool any = false;
        std::string kernel;
        for (int d = 0; d < 2; ++d) {
            const Best* g = find(gcm_name("engine", c.label) + ops[d]);
            if (g == nullptr || g->mbps == 0)
                continue;
            any = true;
            kernel = g->label;
            cells[d] = format("%.1f", g->mbps);
            if (const Best* ecb = find(std::string("engine/") + c.label + ops[d]); ecb != nullptr && ecb->mbps > 0)
                cells[2 + d] = format("%.2fx", g->mbps / ecb->mbps);
            if (const Best* o = find(gcm_name("openssl", c.label) + ops[d]); o != nullptr && o->mbps > 0)
                cells[4 + d] = format("%.2fx", g->mbps / o->mbps);
        }
        if (!any)
            continue;
        if (!headed) {
            std::printf("\nGCM, MB/s, 64 KiB messages, one thread: ratio to the cipher's own ECB rate and to "
                        "OpenSSL aes-256-gcm\n%-8s %-19s %10s %10s %9s %9s %9s %9s\n",
                "cipher", "ghash", "encrypt", "decrypt", "enc/ECB", "dec/ECB", "enc/ossl", "dec/ossl");
            headed = true;
        }
        std::printf("%-8s %-19s %10s %10s %9s %9s %9s %9s\n", c.label, kernel.c_str(), cells[0].c_str(),
            cells[1].c_str(), cells[2].c_str(), cells[3].c_str(), cells[4].c_str(), cells[5].c_str());
        if (const Best* o = find(gcm_name("openssl", c.label) + "/encrypt"))
            std::printf("%-8s %-19s %10.1f %10s\n", c.label, "openssl", o->mbps,
                find(gcm_name("openssl", c.label) + "/decrypt")
                    ? format("%.1f", find(gcm_name("openssl", c.label) + "/decrypt")->mbps).c_str()
                    : "-");
    }
}

void SummaryReporter::key_table() const
{
    bool headed = false;
    for (const Cipher& c : kCiphers) {
        for (const Entry& e : entries()) {
            const Best* enc = e.cipher == c.label ? find(e.id + "/setkey_enc") : nullptr;
            const Best* dec = e.cipher == c.label ? find(e.id + "/setkey_dec") : nullptr;
            if (enc == nullptr && dec == nullptr)
                continue;
            if (!headed) {
                std::printf("\nKey setting, CPU ns per key (engine: key call plus the direction's schedule)\n"
                            "%-8s %-40s %10s %10s\n",
                    "cipher", "implementation", "encrypt", "decrypt");
                headed = true;
            }
            const bool engine = e.id.rfind("engine/", 0) == 0; // key setting is the same on every level
            std::printf("%-8s %-40s %10s %10s\n", c.label, engine ? "engine" : e.caption.c_str(),
                enc ? format("%.0f", enc->ns).c_str() : "-", dec ? format("%.0f", dec->ns).c_str() : "-");
        }
    }
}

} // namespace cipherbench
