// kvn: encrypt and decrypt files from the command line.
#include "batch/key_memory.h"
#include "cli/kvn_app.h"
#include "cli/system_io.h"

#include <cstdio>
#include <exception>
#include <new>

// The engine and the batch catch what a file throws; anything else that is
// thrown (the argument list, the key's strings) still ends with a message
// and the status of a failed run, never with an abort.
int main(int argc, char** argv)
{
    batch::ForbidCoreDumps(); // a key is held from the prompt on
    try {
        return kvn::Run(kvn::Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fputs("kvn: stopped: not enough memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvn: stopped: %s\n", e.what());
    } catch (...) {
        std::fputs("kvn: stopped on an unexpected failure\n", stderr);
    }
    return kvn::kFileFailed;
}
