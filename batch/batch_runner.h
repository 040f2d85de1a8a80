// A batch from start to end: the destination of every file, the engine set
// up for it, the files run in order (encryption attempts every file,
// decryption stops at the first failure), the question before an existing
// file is replaced, and what the user is told after.
#pragma once

#include "batch/key_buffer.h"
#include "batch/output_options.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CIdea;
struct CBatchControl;

namespace batch {

struct BatchFile {
    std::string source;
    std::string destination;
    std::string name; // shown in the batch's file list
};

struct Batch {
    Direction direction = Direction::Encrypt;
    std::string code = "1";
    OutputOptions options;
    std::vector<BatchFile> files;
};

Batch PlanBatch(Direction direction, const std::string& code, const OutputOptions& options,
    const std::vector<std::string>& sources, bool foldCase = kFoldCase);

// Algorithm code, flags, batch size and key, in the engine's calling order.
// With `control` the engine also takes stop requests, checks results (as the
// options say) and, decrypting, finds the cipher a file needs; the control
// is borrowed for as long as the engine runs.
void SetUpEngine(CIdea& engine, const Batch& batch, KeyBuffer& key, CBatchControl* control = nullptr);

struct FileOutcome {
    int result = 0;
    bool failed = false; // not done: the engine failed, or the user skipped it
    bool skipped = false; // the user would not have an existing file replaced
    bool stopped = false; // left unfinished because the batch was stopped; not a failure
    std::string why; // a failure's reason, from the engine's last message for it
    std::string cipherFound; // decrypting: the cipher its header showed, when not the chosen one
};

struct BatchOutcome {
    std::vector<FileOutcome> files; // one per file attempted or skipped
    bool failed = false;
    std::size_t firstFailure = 0; // index of the first file not done, when failed
    bool cancelled = false; // the user ended the batch at the last file
    bool stopped = false; // a stop request ended the batch before its end
    std::size_t done = 0; // files done
};

// The answers to "replace this existing file?".
enum class OverwriteAnswer {
    Yes, // replace it
    YesToAll, // replace it and every later one without asking again
    No, // skip this file: it counts as not done, the batch goes on
    Cancel, // skip this file and end the batch; files done stay done
};

// Asked on the batch's thread before file `index` would replace `existing`,
// an entry that is not the file's own source (a link counts as an entry of
// its own). The answer is awaited.
using OverwriteQuestion = std::function<OverwriteAnswer(std::size_t index, const std::string& existing)>;

// The engine's result codes 100 and 200 are failures; anything else is done.
bool IsFailure(int result);

// Runs the files on the calling thread; `onFile` (optional) hears of each
// file before the engine starts it. Without `ask` no existing file other
// than a source is replaced: the engine refuses such a file as a failure.
// Nothing thrown leaves: a file that throws is a failed file. A stop request
// (the engine's control) ends the batch at the next chunk or between files.
BatchOutcome RunBatch(CIdea& engine, const Batch& batch, const std::function<void(std::size_t index)>& onFile = {},
    const OverwriteQuestion& ask = {});

// Where file `index`'s result ends up when it succeeds (what the engine names
// it: the destination, the source's own path, or "de~" beside it).
std::string ResultPath(const Batch& batch, std::size_t index);

struct OutcomeMessage {
    std::string status; // "Completed", "Failure" or the stopped batch's count
    std::string text;
    std::string caption;
    bool ownedByWindow; // encryption's box belongs to the batch window
    int barPosition; // 100 or 0
};

OutcomeMessage DescribeOutcome(const Batch& batch, const BatchOutcome& outcome);

} // namespace batch
