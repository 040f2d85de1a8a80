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

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class QuietMessages final : public CMessageSink {
public:
    int MessageBox(const char*, const char*, unsigned) override { return IDOK; }
};

// The real file system without the syncs: they make no difference to what
// is read and written, and would spend most of the fuzzing time.
class UnsyncedFiles final : public CFileOps {
public:
    int Sync(int) override { return 0; }
    void StartWriteback(int, std::uint64_t, std::uint64_t, bool) override { }
    int SyncFolder(const char*) override { return 0; }
};

const char* const kCodes[] = { "1", "2", "3", "4", "5", "10" };

const std::string& Folder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/kvn-fuzz-decrypt-XXXXXX";
        if (!mkdtemp(name))
            std::abort();
        return std::string(name);
    }();
    // Each run removes its files; the folder goes when the program ends.
    static const bool removed_at_exit = std::atexit([] { ::rmdir(folder.c_str()); }) == 0;
    (void)removed_at_exit;
    return folder;
}

// The names in the folder besides "." and "..".
std::vector<std::string> Listed(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        std::abort();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

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
    std::FILE* out = std::fopen(source.c_str(), "wb");
    if (!out)
        std::abort();
    if (!file.empty() && std::fwrite(file.data(), 1, file.size(), out) != file.size())
        std::abort();
    std::fclose(out);

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
