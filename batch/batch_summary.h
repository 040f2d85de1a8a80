// The plain-words side of a batch: the line that says beforehand what the
// batch will do, and the lines after its result that say which files were
// not done and why, which were not reached, and which ciphers were found.
#pragma once

#include "batch/batch_runner.h"

#include <string>

namespace batch {

// "AES, compatible format, in /home/me/papers: the encrypted files replace
// the originals." Decrypting, the format is each file's own.
std::string PlanLine(const Batch& batch);

// "3 of 20 files done, stopped."
std::string StoppedCount(const Batch& batch, const BatchOutcome& outcome);

// What goes below the result text; empty for a batch that went as planned.
std::string OutcomeDetails(const Batch& batch, const BatchOutcome& outcome);

} // namespace batch
