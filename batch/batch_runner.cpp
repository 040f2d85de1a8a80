// Planning, setting up and running a batch.
#include "batch_runner.h"

#include "batch_texts.h"
#include "idea.h"

#include <algorithm>

namespace batch {

Batch PlanBatch(Direction direction, const std::string& code, const OutputOptions& options,
    const std::vector<std::string>& sources, bool foldCase)
{
    Batch b{ direction, code, options, {} };
    b.files.reserve(sources.size());
    for (const auto& s : sources) {
        const auto slash = s.find_last_of('/');
        b.files.push_back(
            { s, direction == Direction::Encrypt ? EncryptDestination(s, options) : DecryptDestination(s, foldCase),
                slash == std::string::npos ? s : s.substr(slash + 1) });
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

bool IsFailure(int result)
{
    return result == 100 || result == 200;
}

BatchOutcome RunBatch(CIdea& engine, const Batch& batch, const std::function<void(std::size_t)>& onFile)
{
    BatchOutcome outcome;
    for (std::size_t i = 0; i < batch.files.size(); ++i) {
        if (onFile)
            onFile(i);
        // The engine takes writable texts; it never changes them.
        std::string source = batch.files[i].source, destination = batch.files[i].destination;
        const int result = batch.direction == Direction::Encrypt
            ? engine.IdeaEncrypt(source.data(), destination.data())
            : engine.IdeaDecrypt(source.data(), destination.data());
        const bool failed = IsFailure(result);
        outcome.files.push_back({ result, failed });
        if (failed && !outcome.failed) {
            outcome.failed = true;
            outcome.firstFailure = i;
        }
        if (failed && batch.direction == Direction::Decrypt)
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
            return { texts::kFailure, texts::kEncryptFailed, texts::kAppTitle, true, 0 };
        return { texts::kFailure, batch.files[outcome.firstFailure].source + texts::kDecryptFailedSuffix,
            texts::kDecryptFailedCaption, false, 0 };
    }
    if (encrypting)
        return { texts::kCompleted, texts::kEncryptDone, texts::kAppTitle, true, 100 };
    return { texts::kCompleted, texts::kDecryptDone, texts::kAppTitle, false, 100 };
}

} // namespace batch
