// Planning, setting up and running a batch.
#include "batch_runner.h"

#include "batch_texts.h"
#include "file_attributes.h"
#include "idea.h"

#include <algorithm>
#include <cstdio>

namespace batch {

Batch PlanBatch(Direction direction, const std::string& code, const OutputOptions& options,
                const std::vector<std::string>& sources, bool foldCase)
{
    Batch b{direction, code, options, {}};
    b.files.reserve(sources.size());
    for (const auto& s : sources) {
        const auto slash = s.find_last_of('/');
        b.files.push_back({s,
                           direction == Direction::Encrypt ? EncryptDestination(s, options)
                                                           : DecryptDestination(s, foldCase),
                           slash == std::string::npos ? s : s.substr(slash + 1)});
    }
    return b;
}

void SetUpEngine(CIdea& engine, const Batch& batch, KeyBuffer& key)
{
    engine.m_strArith = batch.code;
    engine.m_bReplace = batch.options.replace;
    if (batch.direction == Direction::Encrypt)
        engine.m_bAddExt = batch.options.addExt;
    engine.m_nTotalFiles = int(batch.files.size());
    engine.SetKey(key.data());
}

bool IsFailure(int result) { return result == 100 || result == 200; }

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

// The engine catches what its own calls throw; this is for what the batch's
// callbacks and string work throw. The file ends as the engine's would.
void ReportThrown(CIdea& engine, const BatchFile& file)
{
    try {
        const std::string text = file.source + texts::kFailedInsideSuffix;
        if (engine.m_pMessages)
            engine.m_pMessages->MessageBox(text.c_str(), texts::kFailedInsideCaption, texts::kIconError);
        else
            std::fprintf(stderr, "%s %s\n", texts::kFailedInsideCaption, text.c_str());
    } catch (...) {
    }
}

} // namespace

BatchOutcome RunBatch(CIdea& engine, const Batch& batch, const std::function<void(std::size_t)>& onFile,
                      const OverwriteQuestion& ask)
{
    BatchOutcome outcome;
    try {
        outcome.files.reserve(batch.files.size());
    } catch (...) {
        return {{}, true, 0, false}; // not even room for the results: nothing was done
    }
    bool toAll = false;
    for (std::size_t i = 0; i < batch.files.size(); ++i) {
        FileOutcome file;
        Step step = Step::Run;
        try {
            if (onFile)
                onFile(i);
            step = Permission(engine, batch, i, ask, toAll);
            if (step == Step::Run)
                file.result = RunFile(engine, batch, i);
        } catch (...) {
            ReportThrown(engine, batch.files[i]);
            file.result = 200;
        }
        engine.m_bOverwrite = 0;
        file.skipped = step != Step::Run;
        file.failed = file.skipped || IsFailure(file.result);
        outcome.files.push_back(file);
        if (file.failed && !outcome.failed) {
            outcome.failed = true;
            outcome.firstFailure = i;
        }
        if (step == Step::Cancel) {
            outcome.cancelled = true;
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
        return replace && batch.options.addExt == 0 ? f.source : f.destination;
    if (HasKvnExtension(f.name))
        return f.destination;
    std::string t = f.destination.substr(0, f.destination.size() >= 4 ? f.destination.size() - 4 : 0);
    if (!replace)
        t.insert(t.size() - std::min(f.name.size(), t.size()), "de~");
    return t;
}

OutcomeMessage DescribeOutcome(const Batch& batch, const BatchOutcome& outcome)
{
    const bool encrypting = batch.direction == Direction::Encrypt;
    if (outcome.failed) {
        if (encrypting)
            return {texts::kFailure, texts::kEncryptFailed, texts::kAppTitle, true, 0};
        return {texts::kFailure, batch.files[outcome.firstFailure].source + texts::kDecryptFailedSuffix,
                texts::kDecryptFailedCaption, false, 0};
    }
    if (encrypting)
        return {texts::kCompleted, texts::kEncryptDone, texts::kAppTitle, true, 100};
    return {texts::kCompleted, texts::kDecryptDone, texts::kAppTitle, false, 100};
}

} // namespace batch
