// Whole batches through the engine: planning, setting up, the run order and
// the stop rule, and the message the user gets at the end.
#include "batch_runner.h"
#include "batch_texts.h"
#include "engine_recorders.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace batch;
using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

namespace {

struct BatchRig {
    CIdea engine;
    kvntest::RecordingMessages messages;
    BatchOutcome outcome;
    std::vector<std::size_t> started;

    BatchRig(const Batch& b, const std::string& key)
    {
        engine.m_pMessages = &messages;
        KeyBuffer k(key);
        SetUpEngine(engine, b, k);
        outcome = RunBatch(engine, b, [this](std::size_t i) { started.push_back(i); });
    }
};

} // namespace

TEST(BatchRun, EncryptionAttemptsEveryFileAfterAFailure)
{
    kvntest::TempDir dir;
    kvntest::write_file(dir.file("a.txt"), Bytes(10, 'a'));
    kvntest::write_file(dir.file("c.txt"), Bytes(20, 'c'));
    const Batch b = PlanBatch(
        Direction::Encrypt, "5", EncryptOptions("0", ""), { dir.file("a.txt"), dir.file("b.txt"), dir.file("c.txt") });
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
    EXPECT_EQ(run.messages.messages[0].text, "Don't open this file!");
    const OutcomeMessage m = DescribeOutcome(b, run.outcome);
    EXPECT_EQ(m.status, "Failure");
    EXPECT_EQ(m.text, "Encryption is failed! \n");
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
    BatchRig enc(PlanBatch(Direction::Encrypt, "1", EncryptOptions("1", "1"), sources), "right");
    ASSERT_FALSE(enc.outcome.failed);
    EXPECT_EQ(DescribeOutcome(PlanBatch(Direction::Encrypt, "1", {}, sources), enc.outcome).text, texts::kEncryptDone);
    std::vector<std::string> encrypted;
    for (const auto& s : sources)
        encrypted.push_back(s + ".kvn");

    const Batch wrong = PlanBatch(Direction::Decrypt, "1", DecryptOptions(""), encrypted);
    BatchRig bad(wrong, "wrong");
    EXPECT_EQ(bad.engine.m_bAddExt, 1); // decryption leaves it alone
    EXPECT_EQ(bad.started, std::vector<std::size_t>{ 0 });
    EXPECT_TRUE(bad.outcome.failed);
    const OutcomeMessage m = DescribeOutcome(wrong, bad.outcome);
    EXPECT_EQ(m.text, dir.file("x.kvn") + " decryption is failed! \n");
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
