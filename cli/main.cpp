// kvn: encrypt and decrypt files from the command line.
#include "kvn_app.h"

int main(int argc, char** argv)
{
    return kvn::Run(std::vector<std::string>(argv + 1, argv + argc));
}
