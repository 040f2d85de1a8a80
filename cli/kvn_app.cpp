// One batch, as the window would run it, driven from the command line.
#include "cli/kvn_app.h"

#include "batch/algorithm.h"
#include "batch/batch_runner.h"
#include "batch/batch_texts.h"
#include "batch/folder_walk.h"
#include "batch/key_buffer.h"
#include "batch/prechecks.h"
#include "cli/cli_options.h"
#include "cli/key_source.h"
#include "cli/system_io.h"
#include "cli/terminal_host.h"
#include "engine/api/batch_control.h"
#include "engine/api/idea.h"
#include "engine/formats/authenticated/auth_header.h"
#include "product_version.h"

#include <csignal>
#include <cstdio>
#include <optional>

namespace kvn {

namespace {

int usage_error(const std::string& why)
{
    std::fprintf(stderr, "kvn: %s\n%s", why.c_str(), Usage().c_str());
    return kUsageError;
}

int fail(const std::string& why, int status)
{
    std::fprintf(stderr, "kvn: %s\n", why.c_str());
    return status;
}

// SIGINT and SIGTERM only ask the batch to stop; the file being worked on
// ends at its next chunk and cleans up after itself. A second signal asks
// again, nothing more, so it cannot cut the cleanup short.
CBatchControl* g_control = nullptr;
volatile std::sig_atomic_t g_signal = 0;

extern "C" void on_stop_signal(int signal)
{
    if (g_signal == 0)
        g_signal = signal; // the exit status tells the first
    if (g_control)
        g_control->stop.store(true);
}

struct StopSignals {
    explicit StopSignals(CBatchControl& control)
    {
        g_control = &control;
        m_int = std::signal(SIGINT, on_stop_signal);
        m_term = std::signal(SIGTERM, on_stop_signal);
    }
    ~StopSignals()
    {
        std::signal(SIGINT, m_int);
        std::signal(SIGTERM, m_term);
        g_control = nullptr;
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    using Handler = void (*)(int);
    Handler m_int = SIG_DFL, m_term = SIG_DFL;
};

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool obtain_key(const Options& o, batch::KeyText& key, std::string& error)
{
    if (!o.keyFile.empty())
        return KeyFromFile(o.keyFile, key.value, error);
    if (!o.keyEnv.empty())
        return KeyFromEnvironment(o.keyEnv, key.value, error);
    return KeyFromTerminal(key.value, error, o.direction == batch::Direction::Encrypt);
}

// With -r: the folders replaced by the files below them, the skipped ones
// named and the plan told. An exit status when that ends the run.
std::optional<int> expand_folders(Options& o)
{
    batch::FolderWalk walk;
    std::string error;
    if (!batch::WalkFolders(o.files, o.direction, walk, error))
        return fail(error, kUsageError);
    for (const auto& s : walk.skipped)
        std::fprintf(stderr, "kvn: %s: skipped: not a regular file (links are not followed)\n", s.c_str());
    if (walk.files.empty())
        return fail("no files found", kUsageError);
    o.files = std::move(walk.files);
    if (!o.quiet && o.files.size() <= std::size_t(batch::MAX_BATCH_FILES)) {
        char size[32];
        std::snprintf(size, sizeof size, "%.1f MB", double(walk.bytes) / 1e6);
        std::fprintf(stderr, "kvn: %zu %s, %s\n", o.files.size(), o.files.size() == 1 ? "file" : "files", size);
    }
    return std::nullopt;
}

// The key, from where the options say, within what the cipher takes. An exit
// status when there is none to use.
std::optional<int> read_key(const Options& o, batch::KeyText& key)
{
    std::string error;
    if (!obtain_key(o, key, error))
        return fail(error, kUsageError);
    if (key.value.empty())
        return fail("the key is empty", kUsageError);
    const std::size_t limit = std::size_t(batch::KeyLimit(o.code));
    if (batch::CharacterCount(key.value) > limit)
        return fail("the key is longer than " + std::to_string(limit) + " characters, the most "
                + batch::CipherName(o.code) + " takes",
            kUsageError);
    return std::nullopt;
}

// The batch run on an engine that reports to the terminal; Ctrl+C and SIGTERM
// stop it.
batch::BatchOutcome run_batch(const Options& o, const batch::Batch& plan, const batch::KeyText& key)
{
    TerminalHost host(!o.quiet && StandardErrorIsTerminal());
    CIdea engine;
    engine.m_pStatusWnd = &host.StatusWnd();
    engine.m_pCountWnd = &host.CountWnd();
    engine.m_pProgress = &host.Progress();
    engine.m_pMessages = &host;
    CBatchControl control;
    control.findCipher = !o.cipherGiven;
    batch::KeyBuffer keyBytes(key.value);
    batch::SetUpEngine(engine, plan, keyBytes, &control);
    StopSignals signals(control);
    // An existing file is replaced only when the command line says so.
    const bool overwrite = o.overwrite;
    const batch::BatchOutcome outcome = batch::RunBatch(
        engine, plan, {}, [&host, overwrite](std::size_t, const std::string& existing) {
            if (overwrite)
                return batch::OverwriteAnswer::YesToAll;
            host.MessageBox((existing + "\nThis file already exists; it is not replaced without --overwrite.").c_str(),
                "Not replaced", MB_OK);
            return batch::OverwriteAnswer::No;
        });
    host.EndLine();
    return outcome;
}

// What became of the batch, on standard error, and the exit status.
int report(const Options& o, const batch::Batch& plan, const batch::BatchOutcome& outcome)
{
    for (std::size_t i = 0; i < outcome.files.size(); ++i)
        if (!outcome.files[i].cipherFound.empty() && !outcome.files[i].failed)
            std::fprintf(stderr, "kvn: %s: encrypted with %s, not %s; decrypted with %s\n",
                plan.files[i].source.c_str(), outcome.files[i].cipherFound.c_str(), batch::CipherName(o.code),
                outcome.files[i].cipherFound.c_str());
    if (outcome.stopped) {
        const std::size_t at = outcome.files.size();
        if (at > 0 && outcome.files[at - 1].stopped)
            std::fprintf(stderr, "kvn: stopped in %s: its unfinished result was removed, the file left as it was\n",
                plan.files[at - 1].source.c_str());
        else if (at < plan.files.size())
            std::fprintf(stderr, "kvn: stopped before %s\n", plan.files[at].source.c_str());
        const int status = g_signal == SIGTERM ? 128 + SIGTERM : g_signal == SIGINT ? 128 + SIGINT : kFileFailed;
        return fail(trimmed(batch::DescribeOutcome(plan, outcome).text), status);
    }
    if (outcome.failed)
        return fail(trimmed(batch::DescribeOutcome(plan, outcome).text), kFileFailed);
    return kAllDone;
}

// kvn info: each file's format from its first bytes, without a key. A file
// in the compatible format shows its cipher only to the right key.
int info(const Options& o)
{
    int status = kAllDone;
    for (const auto& file : o.files) {
        unsigned char start[authenticated::kHeaderSize];
        std::size_t got = 0;
        std::string error;
        if (!ReadStart(file, start, sizeof start, got, error)) {
            std::fprintf(stderr, "kvn: %s\n", error.c_str());
            status = kFileFailed;
            continue;
        }
        authenticated::Header h;
        const authenticated::HeaderStatus read = authenticated::read_header(start, got, h);
        if (read == authenticated::HeaderStatus::Ok)
            std::printf("%s: %s\n", file.c_str(), authenticated::describe(h).c_str());
        else if (read == authenticated::HeaderStatus::NotThisFormat)
            std::printf("%s: compatible (the cipher shows only with the key)\n", file.c_str());
        else {
            std::printf("%s: authenticated, unreadable: %s\n", file.c_str(), authenticated::status_text(read));
            status = kFileFailed;
        }
    }
    return status;
}

} // namespace

int Run(const std::vector<std::string>& args)
{
    Options o;
    std::string error;
    g_signal = 0;
    if (!ParseOptions(args, o, error))
        return usage_error(error);
    if (o.action == Options::Action::Help) {
        std::fputs(Usage().c_str(), stdout);
        return kAllDone;
    }
    if (o.action == Options::Action::Version) {
        std::puts("kvn (" KVN_PRODUCT_NAME ") " KVN_VERSION);
        return kAllDone;
    }
    if (o.action == Options::Action::Info)
        return info(o);
    if (o.recursive)
        if (const auto status = expand_folders(o))
            return *status;
    // One check for named files and found ones alike, before any key is asked for.
    if (o.files.size() > std::size_t(batch::MAX_BATCH_FILES))
        return fail(std::string(batch::texts::kTooManyFiles) + " (" + std::to_string(o.files.size())
                + " files; at most " + std::to_string(batch::MAX_BATCH_FILES) + " in one batch)",
            kUsageError);
    batch::KeyText key;
    if (const auto status = read_key(o, key))
        return *status;

    batch::OutputOptions out;
    out.replace = o.replace ? 1 : 0;
    out.addExt = o.sameName ? 0 : 1;
    out.verify = o.verify;
    out.format = o.format;
    out.strength = o.strength;
    const batch::Batch plan = batch::PlanBatch(o.direction, o.code, out, o.files);
    const batch::CheckResult check = batch::CheckAttributes(o.direction, out.replace != 0, o.files);
    if (!check.ok())
        return fail(check.caption + ": " + check.text, kFileFailed);
    return report(o, plan, run_batch(o, plan, key));
}

} // namespace kvn
