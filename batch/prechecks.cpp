// The pre-batch checks and their messages.
#include "batch/prechecks.h"

#include "batch/algorithm.h"
#include "batch/batch_texts.h"
#include "engine/os/naming_rules.h"

namespace batch {

CheckResult CheckSelectionAndKey(
    Direction direction, std::size_t selected, const std::string& key, const std::string& confirm)
{
    CheckResult r;
    if (selected > std::size_t(MAX_BATCH_FILES))
        r = { Refusal::TooManyFiles, texts::kTooManyFiles, texts::kAppTitle, 0, {} };
    else if (key.empty())
        r.refusal = Refusal::KeyMissing;
    else if (confirm.empty())
        r.refusal = Refusal::ConfirmMissing;
    else if (key != confirm)
        r.refusal = Refusal::ConfirmDiffers;
    else if (selected == 0)
        r = { Refusal::NothingSelected,
            direction == Direction::Encrypt ? texts::kSelectToEncrypt : texts::kSelectToDecrypt, texts::kHelp,
            texts::kIconInformation, {} };
    return r;
}

CheckResult CheckAttributes(
    Direction direction, bool replace, const std::vector<std::string>& sources, const AttributeQuery& query)
{
    if (!replace)
        return {};
    const bool encrypting = direction == Direction::Encrypt;
    const char* caption = encrypting ? texts::kCannotEncrypt : texts::kCannotDecrypt;
    for (const auto& source : sources) {
        const FileAttributes a = query(source);
        if (!a.found)
            continue;
        const std::string name = naming::name_of(source);
        if (a.readOnly || a.hidden || a.system)
            return { Refusal::Attributes, name + texts::kAttributeSuffix, caption,
                encrypting ? texts::kIconInformation : 0u, source };
        if (a.symlink || a.links > 1)
            return { Refusal::Linked, name + (a.symlink ? texts::kSymlinkSuffix : texts::kHardLinkSuffix), caption,
                texts::kIconInformation, source };
        if (a.size == 0)
            return { Refusal::EmptyFile, name + texts::kEmptySuffix, caption, texts::kIconInformation, source };
    }
    return {};
}

} // namespace batch
