// kvn: encrypt and decrypt files from the command line.
#include "kvn_app.h"
#include "system_io.h"

int main(int argc, char** argv)
{
    return kvn::Run(kvn::Arguments(argc, argv));
}
