// The measured line for program instances that the batch runs put on it: listens on the Unix-domain socket
// named by its first argument, loses as many of the first messages of the end that joins first as further
// "drop" arguments follow, says "listening" once the instruments may join, carries their messages until its
// standard input closes, and then says how many messages each end handed it.
#include "sim/SimRemoteLine.h"

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv) {
    std::vector<SimLineFault> faults;
    for (int i = 2; i < argc && std::strcmp(argv[i], "drop") == 0; ++i)
        faults.push_back(SimLineFault::Drop);
    if (argc < 2 || faults.size() != std::size_t(argc - 2)) {
        std::fprintf(stderr, "usage: %s <socket> [drop ...]\n", argv[0]);
        return 2;
    }
    SimRemoteLine line(argv[1]);
    if (!line.Listening())
        return 1;
    line.ScriptFaults(std::move(faults));
    std::puts("listening");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    std::printf("carried a=%zu b=%zu\n", line.CarriedFrom(true).size(), line.CarriedFrom(false).size());
    return 0;
}
