// A batch from start to end: the destination of every file, the engine set
// up for it, the files run in order (encryption attempts every file,
// decryption stops at the first failure), and what the user is told after.
#pragma once

#include "key_buffer.h"
#include "output_options.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CIdea;

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
void SetUpEngine(CIdea& engine, const Batch& batch, KeyBuffer& key);

struct FileOutcome {
    int result = 0;
    bool failed = false;
};

struct BatchOutcome {
    std::vector<FileOutcome> files; // one per file attempted
    bool failed = false;
    std::size_t firstFailure = 0; // index of the first failed file, when failed
};

// The engine's result codes 100 and 200 are failures; anything else is done.
bool IsFailure(int result);

// Runs the files on the calling thread; `onFile` (optional) hears of each
// file before the engine starts it.
BatchOutcome RunBatch(CIdea& engine, const Batch& batch, const std::function<void(std::size_t index)>& onFile = {});

// Where file `index`'s result ends up when it succeeds (what the engine names
// it: the destination, the source's own path, or "de~" beside it).
std::string ResultPath(const Batch& batch, std::size_t index);

struct OutcomeMessage {
    std::string status; // "Completed" or "Failure"
    std::string text;
    std::string caption;
    bool ownedByWindow; // encryption's box belongs to the batch window
    int barPosition; // 100 or 0
};

OutcomeMessage DescribeOutcome(const Batch& batch, const BatchOutcome& outcome);

} // namespace batch
