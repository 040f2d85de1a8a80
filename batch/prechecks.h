// Everything a batch is checked for before it starts, in the order the user
// meets it: the file count, the key and its confirmation, an empty
// selection, then in replace mode each file's attributes. The answer says
// which check refused and the message the user sees for it.
#pragma once

#include "batch/file_attributes.h"
#include "batch/output_options.h"

#include <functional>
#include <string>
#include <vector>

namespace batch {

enum class Refusal {
    None,
    TooManyFiles, // message box
    KeyMissing, // the key-missing window, focus to the key box
    ConfirmMissing, // the confirm-key window, focus to the confirm box
    ConfirmDiffers, // the confirm-key window, focus to the confirm box
    NothingSelected, // message box
    Attributes, // message box naming the file
    EmptyFile, // message box naming the file
    Linked, // message box naming the file: a symbolic or hard link
};

struct CheckResult {
    Refusal refusal = Refusal::None;
    std::string text;
    std::string caption;
    unsigned icon = 0; // 0 none, else MB_ICONINFORMATION
    std::string file; // the refused file, for the attribute checks

    bool ok() const { return refusal == Refusal::None; }
};

// Count, key, confirmation, selection — before anything is set up.
CheckResult CheckSelectionAndKey(
    Direction direction, std::size_t selected, const std::string& key, const std::string& confirm);

using AttributeQuery = std::function<FileAttributes(const std::string& path)>;

// In replace mode, the first source that is read-only, hidden, system,
// empty, a symbolic link or a file with other hard links refuses the whole
// batch (replacing a link would leave the contents readable through the
// file's other names). A source that is not found passes (the engine reports
// it). Without replace nothing is looked at.
CheckResult CheckAttributes(Direction direction, bool replace, const std::vector<std::string>& sources,
    const AttributeQuery& query = QueryAttributes);

} // namespace batch
