// One batch, as the window would run it, driven from the command line.
#include "kvn_app.h"

#include "algorithm.h"
#include "batch_runner.h"
#include "batch_texts.h"
#include "cli_options.h"
#include "idea.h"
#include "key_source.h"
#include "prechecks.h"
#include "secure_zero.h"
#include "terminal_host.h"

#include <cstdio>
#include <unistd.h>

namespace kvn {

namespace {

int usage_error(const std::string& why)
{
    std::fprintf(stderr, "kvn: %s\n%s", why.c_str(), kUsage);
    return kUsageError;
}

int fail(const std::string& why, int status)
{
    std::fprintf(stderr, "kvn: %s\n", why.c_str());
    return status;
}

struct WipedText {
    std::string value;
    ~WipedText() { tessiral::secure_zero(value.data(), value.size()); }
};

bool obtain_key(const Options& o, WipedText& key, std::string& error)
{
    if (!o.keyFile.empty())
        return KeyFromFile(o.keyFile, key.value, error);
    if (!o.keyEnv.empty())
        return KeyFromEnvironment(o.keyEnv, key.value, error);
    return KeyFromTerminal(key.value, error);
}

} // namespace

int Run(const std::vector<std::string>& args)
{
    Options o;
    std::string error;
    if (!ParseOptions(args, o, error))
        return usage_error(error);
    if (o.action == Options::Action::Help) {
        std::fputs(kUsage, stdout);
        return kAllDone;
    }
    if (o.action == Options::Action::Version) {
        std::puts("kvn (Kelvanetrix Plus) 3.32");
        return kAllDone;
    }
    if (o.files.size() > std::size_t(batch::MAX_BATCH_FILES))
        return fail(std::string(batch::texts::kTooManyFiles) + " (at most 4000 files in one batch)", kUsageError);

    WipedText key;
    if (!obtain_key(o, key, error))
        return fail(error, kUsageError);
    if (key.value.empty())
        return fail("the key is empty", kUsageError);
    const std::size_t limit = std::size_t(batch::KeyLimit(o.code));
    if (batch::CharacterCount(key.value) > limit)
        return fail("the key is longer than " + std::to_string(limit) + " characters, the most "
                + batch::CipherName(o.code) + " takes",
            kUsageError);

    batch::OutputOptions out;
    out.replace = o.replace ? 1 : 0;
    out.addExt = o.sameName ? 0 : 1;
    const batch::Batch plan = batch::PlanBatch(o.direction, o.code, out, o.files);
    const batch::CheckResult check = batch::CheckAttributes(o.direction, out.replace != 0, o.files);
    if (!check.ok())
        return fail(check.caption + ": " + check.text, kFileFailed);

    TerminalHost host(!o.quiet && ::isatty(STDERR_FILENO));
    CIdea engine;
    engine.m_pStatusWnd = &host.StatusWnd();
    engine.m_pCountWnd = &host.CountWnd();
    engine.m_pProgress = &host.Progress();
    engine.m_pMessages = &host;
    batch::KeyBuffer keyBytes(key.value);
    batch::SetUpEngine(engine, plan, keyBytes);
    const batch::BatchOutcome outcome = batch::RunBatch(engine, plan);
    host.EndLine();
    if (outcome.failed) {
        const auto message = batch::DescribeOutcome(plan, outcome);
        std::string text = message.text;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return fail(text, kFileFailed);
    }
    return kAllDone;
}

} // namespace kvn
