// Decrypting arbitrary bytes as a .kvn file, with each of the six ciphers.
// Input: byte 0 picks the cipher; when bit 0 of byte 1 is set, the file
// starts with a header block that decrypts correctly (marker byte 2), so the
// data blocks behind it are reached as well; the rest is the file's data.
// The file goes through a real temporary folder, as a user's would (only the
// syncs to disk are left out). Beside not crashing, a failed decryption must
// leave no output behind, and a finished one nothing but its result.
#include "engine/api/host/message_sink.h"
#include "engine/dispatch/cipher_table.h"
#include "engine/formats/compatible/compatible_format.h"
#include "engine/formats/compatible/header.h"
#include "engine/os/file_ops.h"
#include "tests/fuzz/fuzz_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using fuzz::Listed;
using fuzz::QuietMessages;
using fuzz::UnsyncedFiles;

const std::string& Folder()
{
    return fuzz::Folder("/tmp/kvn-fuzz-decrypt-XXXXXX");
}

const char* const kCodes[] = { "1", "2", "3", "4", "5", "10" };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::string code = kCodes[data[0] % 6];
    const CipherRow* row = find_cipher(code);
    unsigned char key[101] = "fuzz key";

    std::vector<unsigned char> file;
    if (data[1] & 1) {
        CIdea keyed;
        row->set_key(keyed, key);
        row->prepare_encrypt(keyed);
        std::vector<unsigned char> plain(row->block), header(row->block);
        compatible::build_header(plain.data(), compatible_header_text(*row), row->block, data[2]);
        row->encrypt_blocks(keyed, plain.data(), header.data(), 1);
        file = header;
    }
    file.insert(file.end(), data + 3, data + size);

    const std::string source = Folder() + "/input.kvn", result = Folder() + "/input";
    fuzz::Write(source, file);

    QuietMessages messages;
    UnsyncedFiles files;
    CIdea engine;
    engine.m_strArith = code;
    engine.m_bReplace = 0;
    engine.m_pMessages = &messages;
    engine.m_pFileOps = &files;
    engine.SetKey(key);
    std::string src = source, dst = result;
    const int status = engine.IdeaDecrypt(src.data(), dst.data());
    if (status != IDEA_DONE && status != IDEA_SOURCE_FAILED && status != IDEA_DEST_FAILED)
        __builtin_trap();
    for (const std::string& name : Listed(Folder()))
        if (name != "input.kvn" && (status != IDEA_DONE || name != "input")) {
            std::fprintf(stderr, "left behind after status %d: %s\n", status, name.c_str());
            __builtin_trap();
        }
    ::unlink(result.c_str());
    ::unlink(source.c_str());
    return 0;
}
