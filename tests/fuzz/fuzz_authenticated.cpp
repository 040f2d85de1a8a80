// Decrypting arbitrary bytes as a file of the authenticated format.
// Input: byte 0 bit 0 clear: the file is the format's magic then the rest of
// the input (the header reader and, past it, the key check); set: the rest
// of the input is encrypted into a valid file first (byte 1 picks the
// cipher), which bytes 2..4 then edit: a bit flipped, the file cut short or
// a byte added at the position bytes 2 and 3 give (byte 4 says which; 3
// leaves it whole). Cheap key strengthening and 256-byte chunks keep each
// run short; a raw header asking for more is cut down to that first. Beside
// not crashing: a file that was edited never decrypts, a failure leaves no
// output behind, and a success gives back the bytes encrypted.
#include "engine/api/batch_control.h"
#include "engine/api/host/message_sink.h"
#include "engine/api/idea.h"
#include "engine/formats/authenticated/auth_header.h"
#include "engine/formats/authenticated/auth_keys.h"
#include "engine/os/file_ops.h"
#include "tests/fuzz/fuzz_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using fuzz::Listed;
using fuzz::QuietMessages;
using fuzz::UnsyncedFiles;

const std::string& Folder()
{
    return fuzz::Folder("/tmp/kvn-fuzz-authenticated-XXXXXX");
}

std::vector<unsigned char> read(const std::string& path)
{
    std::vector<unsigned char> bytes;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        std::abort();
    int c;
    while ((c = std::fgetc(in)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(in);
    return bytes;
}

struct Engine {
    QuietMessages messages;
    UnsyncedFiles files;
    CBatchControl control;
    CIdea engine;
    explicit Engine(const char* code, bool encrypting)
    {
        static const char kPassword[] = "fuzz key";
        unsigned char key[101] = "fuzz key";
        control.authenticated = encrypting;
        control.password = reinterpret_cast<const unsigned char*>(kPassword);
        control.passwordLength = sizeof kPassword - 1;
        engine.m_strArith = code;
        engine.m_bReplace = 0;
        engine.m_pMessages = &messages;
        engine.m_pFileOps = &files;
        engine.m_pControl = &control;
        engine.SetKey(key);
    }
    int Run(const std::string& from, const std::string& to, bool encrypting)
    {
        std::string src = from, dst = to;
        return encrypting ? engine.IdeaEncrypt(src.data(), dst.data()) : engine.IdeaDecrypt(src.data(), dst.data());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    static authenticated::TestSeam seam = [] {
        authenticated::TestSeam s;
        s.fixedSalts = true;
        s.timeCost = 1;
        s.memoryExponent = 3;
        s.lanes = 1;
        s.chunkExponent = 8;
        return s;
    }();
    authenticated::set_test_seam(&seam);
    static const char* const kCodes[] = { "1", "2", "3", "4", "5" };
    const char* code = kCodes[data[1] % 5];
    const std::string plainPath = Folder() + "/plain", source = Folder() + "/input.kvn", result = Folder() + "/input";
    const std::vector<unsigned char> rest(data + 5, data + size);
    std::vector<unsigned char> file;
    bool edited = false;
    if (data[0] & 1) {
        fuzz::Write(plainPath, rest);
        Engine sealer(code, true);
        if (sealer.Run(plainPath, source, true) != IDEA_DONE)
            __builtin_trap();
        ::unlink(plainPath.c_str());
        file = read(source);
        const std::size_t at = (std::size_t(data[2]) << 8 | data[3]) % file.size();
        switch (data[4] % 4) {
        case 0:
            file[at] ^= static_cast<unsigned char>(1u << (data[4] >> 5));
            edited = true;
            break;
        case 1:
            file.resize(at);
            edited = true;
            break;
        case 2:
            file.insert(file.begin() + long(at), data[4]);
            edited = true;
            break;
        default:
            break;
        }
    } else {
        file.assign(authenticated::kMagic, authenticated::kMagic + authenticated::kMagicSize);
        file.insert(file.end(), rest.begin(), rest.end());
        // Cheap key strengthening only: a header may ask for 4 GiB.
        if (file.size() > 14) {
            file[12] = static_cast<unsigned char>(file[12] % 3);
            file[13] = static_cast<unsigned char>(file[13] % 11);
            file[14] = static_cast<unsigned char>(file[14] % 5);
        }
    }
    fuzz::Write(source, file);

    Engine opener(code, false);
    const int status = opener.Run(source, result, false);
    if (status != IDEA_DONE && status != IDEA_SOURCE_FAILED && status != IDEA_DEST_FAILED)
        __builtin_trap();
    if (status == IDEA_DONE && (data[0] & 1) && (edited || read(result) != rest)) {
        std::fprintf(stderr, "an edited or wrong file decrypted\n");
        __builtin_trap();
    }
    for (const std::string& name : Listed(Folder()))
        if (name != "input.kvn" && (status != IDEA_DONE || name != "input")) {
            std::fprintf(stderr, "left behind after status %d: %s\n", status, name.c_str());
            __builtin_trap();
        }
    ::unlink(result.c_str());
    ::unlink(source.c_str());
    authenticated::set_test_seam(nullptr);
    return 0;
}
