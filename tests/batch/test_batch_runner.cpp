// Whole batches through the engine: planning, setting up, the run order and
// the stop rule, the question before an existing file is replaced, failures
// thrown inside, and the message the user gets at the end.
#include "batch/batch_runner.h"
#include "batch/batch_summary.h"
#include "batch/batch_texts.h"
#include "batch/settings_entries.h"
#include "engine/api/batch_control.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>

using namespace batch;
using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

namespace {

struct BatchRig {
    CIdea engine;
    kvntest::RecordingMessages messages;
    BatchOutcome outcome;
    std::vector<std::size_t> started;

    BatchRig(const Batch& b, const std::string& key, const OverwriteQuestion& ask = {})
    {
        engine.m_pMessages = &messages;
        KeyBuffer k(key);
        SetUpEngine(engine, b, k);
        outcome = RunBatch(
            engine, b, [this](std::size_t i) { started.push_back(i); }, ask);
    }
};

} // namespace

TEST(BatchRun, EncryptionAttemptsEveryFileAfterAFailure)
{
    kvntest::TempDir dir;
    kvntest::write_file(dir.file("a.txt"), Bytes(10, 'a'));
    kvntest::write_file(dir.file("c.txt"), Bytes(20, 'c'));
    const Batch b = PlanBatch(Direction::Encrypt, "5", settings::EncryptOptions(settings::EncryptChoice{ "0", "" }),
        { dir.file("a.txt"), dir.file("b.txt"), dir.file("c.txt") });
    EXPECT_EQ(b.files[1].destination, dir.file("b.txt.kvn"));
    EXPECT_EQ(b.files[1].name, "b.txt");
    BatchRig run(b, "k3y");
    EXPECT_EQ(run.engine.m_nTotalFiles, 3);
    EXPECT_EQ(run.engine.m_bReplace, 0);
    EXPECT_EQ(run.started, (std::vector<std::size_t>{ 0, 1, 2 }));
    ASSERT_EQ(run.outcome.files.size(), 3u);
    EXPECT_TRUE(run.outcome.failed);
    EXPECT_EQ(run.outcome.firstFailure, 1u);
    EXPECT_EQ(run.outcome.files[1].result, 100);
    EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "a.txt", "a.txt.kvn", "c.txt", "c.txt.kvn" }));
    ASSERT_EQ(run.messages.messages.size(), 1u);
    EXPECT_EQ(
        run.messages.messages[0].text, "Don't open this file!\n" + b.files[1].source + "\nNo such file or directory");
    const OutcomeMessage m = DescribeOutcome(b, run.outcome);
    EXPECT_EQ(m.status, "Failure");
    EXPECT_EQ(
        m.text, "Encryption is failed! \n\nNot done:\n  b.txt: Don't open this file! No such file or directory\n");
    EXPECT_EQ(m.caption, "Kelvanetrix Plus");
    EXPECT_EQ(m.barPosition, 0);
}

TEST(BatchRun, DecryptionStopsAtTheFirstFailureAndNamesIt)
{
    kvntest::TempDir dir;
    std::vector<std::string> sources;
    for (const char* n : { "x", "y", "z" }) {
        kvntest::write_file(dir.file(n), Bytes(33, 'q'));
        sources.push_back(dir.file(n));
    }
    BatchRig enc(
        PlanBatch(Direction::Encrypt, "1", settings::EncryptOptions(settings::EncryptChoice{ "1", "1" }), sources),
        "right");
    ASSERT_FALSE(enc.outcome.failed);
    EXPECT_EQ(DescribeOutcome(PlanBatch(Direction::Encrypt, "1", {}, sources), enc.outcome).text, texts::kEncryptDone);
    std::vector<std::string> encrypted;
    for (const auto& s : sources)
        encrypted.push_back(s + ".kvn");

    const Batch wrong = PlanBatch(Direction::Decrypt, "1", settings::DecryptOptions(""), encrypted);
    BatchRig bad(wrong, "wrong");
    EXPECT_EQ(bad.engine.m_bAddExt, 1); // decryption leaves it alone
    EXPECT_EQ(bad.started, std::vector<std::size_t>{ 0 });
    EXPECT_TRUE(bad.outcome.failed);
    const OutcomeMessage m = DescribeOutcome(wrong, bad.outcome);
    EXPECT_EQ(m.text,
        dir.file("x.kvn")
            + " decryption is failed! \n\nNot done:\n  x.kvn: The key you entered does not "
              "appear to be valid! Or it is not encryption file by AES!\n\nNot reached:\n  y.kvn\n  z.kvn\n");
    EXPECT_EQ(m.caption, "Help: file decryption is failed!");
    EXPECT_FALSE(m.ownedByWindow);
    EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "x.kvn", "y.kvn", "z.kvn" }));

    BatchRig good(wrong, "right");
    EXPECT_FALSE(good.outcome.failed);
    EXPECT_EQ(DescribeOutcome(wrong, good.outcome).text, "Congratulation! Decryption has completed! \n");
    EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "x", "y", "z" }));
    EXPECT_EQ(kvntest::read_file(dir.file("y")), Bytes(33, 'q'));
}

TEST(BatchRun, ResultPathsNameWhatTheEngineLeavesOnDisk)
{
    struct Case {
        batch::Direction dir;
        batch::OutputOptions options;
        const char* source;
    };
    for (const Case c : { Case{ Direction::Encrypt, { 0, 1 }, "a.txt" }, Case{ Direction::Encrypt, { 1, 1 }, "a.txt" },
             Case{ Direction::Encrypt, { 1, 0 }, "a.txt" }, Case{ Direction::Decrypt, { 1, 1 }, "a.txt.KVN" },
             Case{ Direction::Decrypt, { 0, 1 }, "a.txt.kvn" }, Case{ Direction::Decrypt, { 1, 1 }, "a.txt" },
             Case{ Direction::Decrypt, { 0, 1 }, "a.txt" } }) {
        kvntest::TempDir dir;
        const std::string src = dir.file(c.source);
        if (c.dir == Direction::Encrypt) {
            kvntest::write_file(src, Bytes(20, 'p'));
        } else {
            kvntest::write_file(dir.file("plain"), Bytes(20, 'p'));
            kvntest::EngineRig enc("1", "k", 0);
            ASSERT_EQ(enc.encrypt(dir.file("plain"), src), IDEA_DONE);
            std::remove(dir.file("plain").c_str());
        }
        const Batch b = PlanBatch(c.dir, "1", c.options, { src });
        BatchRig run(b, "k");
        ASSERT_FALSE(run.outcome.failed) << c.source;
        EXPECT_TRUE(kvntest::exists(ResultPath(b, 0))) << c.source << " " << ResultPath(b, 0);
    }
}

TEST(BatchRun, ExistingResultsAreReplacedOnlyAsTheAnswersSay)
{
    kvntest::TempDir dir;
    std::vector<std::string> sources;
    for (const char* n : { "a", "b", "c", "d", "e" }) {
        kvntest::write_file(dir.file(n), Bytes(20, 'p'));
        if (*n != 'd')
            kvntest::write_file(dir.file(std::string(n) + ".kvn"), Bytes{ 'o', 'l', 'd' });
        sources.push_back(dir.file(n));
    }
    std::vector<std::string> asked;
    std::vector<OverwriteAnswer> answers{ OverwriteAnswer::Yes, OverwriteAnswer::No, OverwriteAnswer::YesToAll };
    const Batch b
        = PlanBatch(Direction::Encrypt, "1", settings::EncryptOptions(settings::EncryptChoice{ "0", "" }), sources);
    BatchRig run(b, "k", [&](std::size_t i, const std::string& existing) {
        asked.push_back(existing);
        return answers[i];
    });
    EXPECT_EQ(asked, (Names{ dir.file("a.kvn"), dir.file("b.kvn"), dir.file("c.kvn") })); // d.kvn is new, e.kvn covered
    EXPECT_EQ(kvntest::read_file(dir.file("b.kvn")), (Bytes{ 'o', 'l', 'd' }));
    for (const char* n : { "a.kvn", "c.kvn", "d.kvn", "e.kvn" })
        EXPECT_EQ(kvntest::read_file(dir.file(n)).size(), 48u) << n;
    ASSERT_EQ(run.outcome.files.size(), 5u);
    EXPECT_TRUE(run.outcome.files[1].skipped && run.outcome.files[1].failed);
    EXPECT_TRUE(run.outcome.failed);
    EXPECT_EQ(run.outcome.firstFailure, 1u);
    EXPECT_TRUE(run.messages.messages.empty());

    // Cancel ends the batch at that file; the one before stays done. Decrypting
    // onto the kept sources asks first.
    const Batch back = PlanBatch(Direction::Decrypt, "1", settings::DecryptOptions("0"),
        { dir.file("d.kvn"), dir.file("e.kvn"), dir.file("a.kvn") });
    std::remove(dir.file("d").c_str());
    BatchRig cancel(back, "k", [](std::size_t, const std::string&) { return OverwriteAnswer::Cancel; });
    EXPECT_EQ(cancel.started, (std::vector<std::size_t>{ 0, 1 }));
    EXPECT_TRUE(cancel.outcome.cancelled);
    ASSERT_EQ(cancel.outcome.files.size(), 2u);
    EXPECT_FALSE(cancel.outcome.files[0].failed);
    EXPECT_TRUE(cancel.outcome.files[1].skipped);
    EXPECT_EQ(kvntest::read_file(dir.file("d")), Bytes(20, 'p'));

    // Without a question nothing existing is replaced: the engine refuses it.
    BatchRig unasked(back, "k");
    EXPECT_TRUE(unasked.outcome.failed);
    EXPECT_EQ(unasked.outcome.files[0].result, 200);
    EXPECT_EQ(kvntest::read_file(dir.file("e")), Bytes(20, 'p'));
}

TEST(BatchRun, AFailureThrownInsideEndsOnlyThatFile)
{
    kvntest::TempDir dir;
    std::vector<std::string> sources;
    for (const char* n : { "a", "b", "c" }) {
        kvntest::write_file(dir.file(n), Bytes(20, *n));
        sources.push_back(dir.file(n));
    }
    // Encryption goes on after the file that threw; decryption stops there.
    const auto throwing = [](std::size_t at) {
        return [at](std::size_t i) {
            if (i == at)
                throw std::bad_alloc();
        };
    };
    for (const Direction d : { Direction::Encrypt, Direction::Decrypt }) {
        const bool encrypting = d == Direction::Encrypt;
        std::vector<std::string> files = sources;
        if (!encrypting)
            for (auto& f : files)
                f += ".kvn";
        CIdea engine;
        kvntest::RecordingMessages messages;
        engine.m_pMessages = &messages;
        const Batch b = PlanBatch(d, "1",
            encrypting ? settings::EncryptOptions(settings::EncryptChoice{ "1", "1" }) : settings::DecryptOptions("1"),
            files);
        KeyBuffer k("k");
        SetUpEngine(engine, b, k);
        const BatchOutcome outcome = RunBatch(engine, b, throwing(encrypting ? 1 : 0));
        EXPECT_EQ(outcome.files.size(), encrypting ? 3u : 1u);
        EXPECT_TRUE(outcome.failed);
        EXPECT_EQ(outcome.firstFailure, encrypting ? 1u : 0u);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text.rfind(files[encrypting ? 1 : 0] + "\n", 0), 0u);
        EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "a.kvn", "b", "c.kvn" }));
    }
}

namespace {

class CancellingMessages final : public CMessageSink {
public:
    int MessageBox(const char*, const char*, unsigned style) override { return style & MB_OKCANCEL ? IDCANCEL : IDOK; }
};

} // namespace

TEST(BatchRun, AStopRequestOrCancelInAFailureBoxEndsTheBatchAndSaysHowFarItGot)
{
    kvntest::TempDir dir;
    for (const char* n : { "a", "b", "c" })
        kvntest::write_file(dir.file(n), Bytes(20, *n));
    const Batch b = PlanBatch(Direction::Encrypt, "1", settings::EncryptOptions(settings::EncryptChoice{ "1", "1" }),
        { dir.file("a"), dir.file("b"), dir.file("c") });
    {
        CIdea engine;
        CBatchControl control;
        KeyBuffer k("k");
        SetUpEngine(engine, b, k, &control);
        const BatchOutcome outcome = RunBatch(engine, b, [&](std::size_t i) { control.stop.store(i == 1); });
        EXPECT_TRUE(outcome.stopped);
        EXPECT_FALSE(outcome.failed);
        EXPECT_EQ(outcome.done, 1u);
        ASSERT_EQ(outcome.files.size(), 2u);
        EXPECT_TRUE(outcome.files[1].stopped);
        const OutcomeMessage m = DescribeOutcome(b, outcome);
        EXPECT_EQ(m.status, "1 of 3 files done, stopped.");
        EXPECT_EQ(m.text, "1 of 3 files done, stopped.\n\nStopped in:\n  b\n\nNot reached:\n  c\n");
        EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "a.kvn", "b", "c" }));
    }
    std::remove(dir.file("b").c_str()); // "Don't open this file!", answered with Cancel
    const Batch rest = PlanBatch(Direction::Encrypt, "1", settings::EncryptOptions(settings::EncryptChoice{ "1", "1" }),
        { dir.file("b"), dir.file("c") });
    CIdea engine;
    CancellingMessages cancel;
    engine.m_pMessages = &cancel;
    CBatchControl control;
    KeyBuffer k("k");
    SetUpEngine(engine, rest, k, &control);
    const BatchOutcome outcome = RunBatch(engine, rest);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.files.size(), 1u);
    EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "a.kvn", "c" }));
}

TEST(BatchRun, ThePlanLineSaysCipherFormatFolderAndWhatHappensToTheOriginals)
{
    EXPECT_EQ(PlanLine(PlanBatch(Direction::Encrypt, "5", { 1, 1, true }, { "/d/x", "/d/sub/y" })),
        "Twofish, compatible format, in /d and its subfolders: the encrypted files (\".kvn\" added) replace the "
        "originals. Each result is checked before its original is deleted.");
    OutputOptions authenticated{ 0, 1, true, FileFormat::Authenticated, Strength::Strong };
    EXPECT_EQ(PlanLine(PlanBatch(Direction::Encrypt, "1", authenticated, { "/d/x" })),
        "AES, authenticated format (strong key strengthening), in /d: the originals are kept; the encrypted files "
        "are written beside them.");
    authenticated.strength = Strength::Normal;
    EXPECT_NE(
        PlanLine(PlanBatch(Direction::Encrypt, "1", authenticated, { "/d/x" })).find("(normal key"), std::string::npos);
    EXPECT_EQ(PlanLine(PlanBatch(Direction::Decrypt, "1", { 0, 1, true }, { "/d/x.kvn" })),
        "AES (or the cipher a file's header shows), either format as each file shows, in /d: the encrypted files "
        "are kept; the decrypted files are written beside them.");
}

// The engine hands each failure's reason over beside its message: the
// sentence that says why, with any other file it names, never the source.
TEST(BatchRun, TheEngineHandsOverWhyAFileFailed)
{
    kvntest::TempDir dir;
    kvntest::write_file(dir.file("a.txt"), Bytes(5, 'a'));
    std::filesystem::create_directory(dir.file("a.txt.kvn"));
    const Batch enc = PlanBatch(
        Direction::Encrypt, "1", settings::EncryptOptions(settings::EncryptChoice{ "0", "" }), { dir.file("a.txt") });
    BatchRig blocked(enc, "k");
    ASSERT_EQ(blocked.outcome.files.size(), 1u);
    EXPECT_EQ(blocked.outcome.files[0].why, "Don't create new file " + dir.file("a.txt.kvn") + " Is a directory");

    kvntest::write_file(dir.file("b.kvn"), Bytes(20, 'b'));
    const Batch dec = PlanBatch(Direction::Decrypt, "1", settings::DecryptOptions(""), { dir.file("b.kvn") });
    BatchRig wrong(dec, "k");
    ASSERT_EQ(wrong.outcome.files.size(), 1u);
    EXPECT_EQ(wrong.outcome.files[0].why,
        "The key you entered does not appear to be valid! Or it is not encryption file by AES!");
}

// The batch hands the engine the format, the strength and the key text as
// typed (without the key buffer's zeros); decryption is told nothing of a
// format: it reads the one each file shows.
TEST(BatchRun, TheFormatStrengthAndKeyTextReachTheEngine)
{
    OutputOptions options;
    options.format = FileFormat::Authenticated;
    options.strength = Strength::Strong;
    CIdea engine;
    CBatchControl control;
    KeyBuffer key("p\xc3\xa4ss");
    SetUpEngine(engine, PlanBatch(Direction::Encrypt, "4", options, { "a" }), key, &control);
    EXPECT_TRUE(control.authenticated);
    EXPECT_EQ(control.strength, 1);
    ASSERT_EQ(control.passwordLength, 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(control.password), 5), "p\xc3\xa4ss");
    SetUpEngine(engine, PlanBatch(Direction::Decrypt, "4", options, { "a.kvn" }), key, &control);
    EXPECT_FALSE(control.authenticated);
}
