#include "host/cli/CliHost.h"

int main(int argc, char** argv)
{
    return CliHost::main(argc, argv);
}
