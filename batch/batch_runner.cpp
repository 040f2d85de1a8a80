// Planning, setting up and running a batch.
#include "batch/batch_runner.h"

#include "batch/batch_summary.h"
#include "batch/batch_texts.h"
#include "batch/file_attributes.h"
#include "engine/api/batch_control.h"
#include "engine/api/idea.h"
#include "engine/os/naming_rules.h"

#include <algorithm>
#include <cstdio>

namespace batch {

Batch PlanBatch(Direction direction, const std::string& code, const OutputOptions& options,
    const std::vector<std::string>& sources, bool foldCase)
{
    Batch b{ direction, code, options, {} };
    b.files.reserve(sources.size());
    for (const auto& s : sources) {
        b.files.push_back(
            { s, direction == Direction::Encrypt ? EncryptDestination(s, options) : DecryptDestination(s, foldCase),
                naming::name_of(s) });
    }
    return b;
}

void SetUpEngine(CIdea& engine, const Batch& batch, KeyBuffer& key, CBatchControl* control)
{
    if (control) {
        control->verify = batch.options.verify;
        control->findCipher = control->findCipher && batch.direction == Direction::Decrypt;
        control->authenticated
            = batch.direction == Direction::Encrypt && batch.options.format == FileFormat::Authenticated;
        control->strength = batch.options.strength == Strength::Strong ? 1 : 0;
        // The key text as typed: the bytes before the key buffer's zero.
        control->password = key.data();
        control->passwordLength = 0;
        while (control->passwordLength < key.size() && key.data()[control->passwordLength] != 0)
            ++control->passwordLength;
    }
    engine.m_pControl = control; // before the key: finding the cipher keys them all
    engine.m_strArith = batch.code;
    engine.m_bReplace = batch.options.replace;
    if (batch.direction == Direction::Encrypt)
        engine.m_bAddExt = batch.options.addExt;
    engine.m_nTotalFiles = int(batch.files.size());
    engine.SetKey(key.data());
}

bool IsFailure(int result)
{
    return result == IDEA_SOURCE_FAILED || result == IDEA_DEST_FAILED;
}

namespace {

enum class Step { Run, Skip, Cancel };

// Whether file `index` may replace what stands at its result's name; asks
// only when something other than its own source stands there.
Step Permission(CIdea& engine, const Batch& batch, std::size_t index, const OverwriteQuestion& ask, bool& toAll)
{
    engine.m_bOverwrite = toAll ? 1 : 0;
    if (toAll || !ask)
        return Step::Run;
    const std::string existing = ResultPath(batch, index);
    if (!OccupiedByAnother(existing, batch.files[index].source))
        return Step::Run;
    switch (ask(index, existing)) {
    case OverwriteAnswer::YesToAll:
        toAll = true;
        [[fallthrough]];
    case OverwriteAnswer::Yes:
        engine.m_bOverwrite = 1;
        return Step::Run;
    case OverwriteAnswer::No:
        return Step::Skip;
    case OverwriteAnswer::Cancel:
        break;
    }
    return Step::Cancel;
}

int RunFile(CIdea& engine, const Batch& batch, std::size_t index)
{
    // The engine takes writable texts; it never changes them.
    std::string source = batch.files[index].source, destination = batch.files[index].destination;
    return batch.direction == Direction::Encrypt ? engine.IdeaEncrypt(source.data(), destination.data())
                                                 : engine.IdeaDecrypt(source.data(), destination.data());
}

// Passes the engine's messages on to where they would have gone, keeping
// the reason the engine gave with the last one.
class MessageTap final : public CMessageSink {
public:
    explicit MessageTap(CMessageSink* next)
        : m_next(next)
    {
    }
    int MessageBox(const char* text, const char* caption, unsigned style) override
    {
        if (m_next)
            return m_next->MessageBox(text, caption, style);
        std::fprintf(stderr, "%s %s\n", caption ? caption : "", text ? text : "");
        return IDOK;
    }
    void FailureReason(const char* why) override
    {
        reason = why ? why : "";
        if (m_next)
            m_next->FailureReason(why);
    }
    std::string reason;

private:
    CMessageSink* m_next;
};

// The engine catches what its own calls throw; this is for what the batch's
// callbacks and string work throw. The file ends as the engine's would, its
// message told like the engine's.
void ReportThrown(MessageTap& tap, const BatchFile& file)
{
    try {
        const std::string text = file.source + texts::kFailedInsideSuffix;
        tap.FailureReason(texts::kFailedInsideReason);
        tap.MessageBox(text.c_str(), texts::kFailedInsideCaption, texts::kIconError);
    } catch (...) {
    }
}

// The engine's borrowed pointers back as they were, however the run ends.
struct Lent {
    CIdea& engine;
    CMessageSink* messages;
    ~Lent() { engine.m_pMessages = messages; }
};

} // namespace

BatchOutcome RunBatch(
    CIdea& engine, const Batch& batch, const std::function<void(std::size_t)>& onFile, const OverwriteQuestion& ask)
{
    BatchOutcome outcome;
    try {
        outcome.files.reserve(batch.files.size());
    } catch (...) {
        BatchOutcome none; // not even room for the results: nothing was done
        none.failed = true;
        return none;
    }
    MessageTap tap(engine.m_pMessages);
    Lent lent{ engine, engine.m_pMessages };
    engine.m_pMessages = &tap;
    CBatchControl* control = engine.m_pControl;
    bool toAll = false;
    for (std::size_t i = 0; i < batch.files.size(); ++i) {
        if (control && control->stop.load()) {
            outcome.stopped = true;
            break;
        }
        FileOutcome file;
        Step step = Step::Run;
        tap.reason.clear();
        try {
            if (onFile)
                onFile(i);
            step = Permission(engine, batch, i, ask, toAll);
            if (step == Step::Run)
                file.result = RunFile(engine, batch, i);
        } catch (...) {
            ReportThrown(tap, batch.files[i]);
            file.result = IDEA_DEST_FAILED;
        }
        engine.m_bOverwrite = 0;
        file.skipped = step != Step::Run;
        file.stopped = step == Step::Run && control && control->stopped;
        file.failed = !file.stopped && (file.skipped || IsFailure(file.result));
        try {
            if (file.failed)
                file.why = tap.reason.empty() ? "not done" : tap.reason;
            if (control)
                file.cipherFound = control->cipherFound;
        } catch (...) {
        }
        if (!file.failed && !file.stopped)
            ++outcome.done;
        outcome.files.push_back(file);
        if (file.stopped) {
            outcome.stopped = true;
            break;
        }
        if (file.failed && !outcome.failed) {
            outcome.failed = true;
            outcome.firstFailure = i;
        }
        if (step == Step::Cancel) {
            outcome.cancelled = true;
            break;
        }
        // Cancel in one of the engine's failure boxes stops the batch after that file.
        if (control && control->stop.load()) {
            outcome.stopped = i + 1 < batch.files.size();
            if (outcome.stopped)
                break;
        }
        // A file the user chose to skip does not stop decryption; a failed one does.
        if (file.failed && !file.skipped && batch.direction == Direction::Decrypt)
            break;
    }
    return outcome;
}

std::string ResultPath(const Batch& batch, std::size_t index)
{
    const BatchFile& f = batch.files[index];
    const bool replace = batch.options.replace != 0;
    if (batch.direction == Direction::Encrypt)
        return naming::encrypted_path(f.source, f.destination, replace, batch.options.addExt != 0);
    return naming::decrypted_path(f.name, f.destination, replace);
}

// The usual outcome texts first; below them which files were not done and
// why, which were not reached, and which ciphers were found.
OutcomeMessage DescribeOutcome(const Batch& batch, const BatchOutcome& outcome)
{
    const bool encrypting = batch.direction == Direction::Encrypt;
    OutcomeMessage m;
    if (outcome.stopped) {
        const std::string count = StoppedCount(batch, outcome);
        m = { count, count + "\n", texts::kAppTitle, encrypting, 0 };
    } else if (outcome.failed) {
        if (encrypting)
            m = { texts::kFailure, texts::kEncryptFailed, texts::kAppTitle, true, 0 };
        else
            m = { texts::kFailure, batch.files[outcome.firstFailure].source + texts::kDecryptFailedSuffix,
                texts::kDecryptFailedCaption, false, 0 };
    } else if (encrypting) {
        m = { texts::kCompleted, texts::kEncryptDone, texts::kAppTitle, true, 100 };
    } else {
        m = { texts::kCompleted, texts::kDecryptDone, texts::kAppTitle, false, 100 };
    }
    m.text += OutcomeDetails(batch, outcome);
    return m;
}

} // namespace batch
