// The texts that say what a batch will do and what it did.
#include "batch/batch_summary.h"

#include "batch/algorithm.h"
#include "engine/os/naming_rules.h"

namespace batch {

namespace {

// Longer lists end with a count: the box must fit on the screen.
constexpr std::size_t kListed = 15;

std::string files_text(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " file" : " files");
}

// The folder every source is in, and whether some are in folders below it.
std::string common_folder(const Batch& batch, bool& below)
{
    below = false;
    if (batch.files.empty())
        return {};
    std::string common = naming::folder_of(batch.files[0].source);
    for (const auto& f : batch.files) {
        const std::string folder = naming::folder_of(f.source);
        while (folder != common && folder.rfind(common == "/" ? common : common + "/", 0) != 0) {
            const std::string up = naming::folder_of(common);
            if (up == common)
                break; // "." or "/": nothing above
            common = up;
        }
        if (folder != common)
            below = true;
    }
    return common;
}

class ListText {
public:
    explicit ListText(const char* heading)
        : m_text(std::string("\n") + heading + "\n")
    {
    }
    void Add(const std::string& line)
    {
        if (m_count++ < kListed)
            m_text += "  " + line + "\n";
    }
    std::string Text() const
    {
        if (m_count == 0)
            return {};
        return m_count > kListed ? m_text + "  ... and " + std::to_string(m_count - kListed) + " more\n" : m_text;
    }

private:
    std::string m_text;
    std::size_t m_count = 0;
};

} // namespace

std::string PlanLine(const Batch& batch)
{
    const bool encrypting = batch.direction == Direction::Encrypt;
    std::string line = CipherName(batch.code);
    if (!encrypting)
        line += " (or the cipher a file's header shows), either format as each file shows";
    else if (batch.options.format == FileFormat::Authenticated)
        line += batch.options.strength == Strength::Strong ? ", authenticated format (strong key strengthening)"
                                                           : ", authenticated format (normal key strengthening)";
    else
        line += ", compatible format";
    bool below = false;
    const std::string folder = common_folder(batch, below);
    line += ", in " + folder + (below ? " and its subfolders" : "") + ": ";
    const bool replace = batch.options.replace != 0;
    if (encrypting && replace)
        line += batch.options.addExt ? "the encrypted files (\".kvn\" added) replace the originals."
                                     : "the encrypted files replace the originals under their names.";
    else if (encrypting)
        line += "the originals are kept; the encrypted files are written beside them.";
    else if (replace)
        line += "the decrypted files replace the encrypted ones.";
    else
        line += "the encrypted files are kept; the decrypted files are written beside them.";
    if (replace && batch.options.verify)
        line += " Each result is checked before its original is deleted.";
    return line;
}

std::string StoppedCount(const Batch& batch, const BatchOutcome& outcome)
{
    return std::to_string(outcome.done) + " of " + files_text(batch.files.size()) + " done, stopped.";
}

std::string OutcomeDetails(const Batch& batch, const BatchOutcome& outcome)
{
    ListText failed("Not done:"), stoppedIn("Stopped in:"), found("Cipher found by the file's header:");
    for (std::size_t i = 0; i < outcome.files.size(); ++i) {
        const FileOutcome& f = outcome.files[i];
        const std::string& name = batch.files[i].name;
        if (f.stopped)
            stoppedIn.Add(name);
        else if (f.skipped)
            failed.Add(name + ": an existing file of its result's name was not replaced.");
        else if (f.failed)
            failed.Add(name + ": " + f.why);
        if (!f.cipherFound.empty() && !f.failed && !f.stopped)
            found.Add(name + ": " + f.cipherFound);
    }
    ListText unreached("Not reached:");
    if (outcome.failed || outcome.stopped || outcome.cancelled)
        for (std::size_t i = outcome.files.size(); i < batch.files.size(); ++i)
            unreached.Add(batch.files[i].name);
    return failed.Text() + stoppedIn.Text() + unreached.Text() + found.Text();
}

} // namespace batch
