// The measured line for two program instances that the batch runs pair: listens on the Unix-domain socket
// named by its argument, says "listening" once the instruments may join, carries their messages until its
// standard input closes, and then says how many messages each end handed it.
#include "sim/SimRemoteLine.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <socket>\n", argv[0]);
        return 2;
    }
    SimRemoteLine line(argv[1]);
    if (!line.Listening())
        return 1;
    std::puts("listening");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    std::printf("carried a=%zu b=%zu\n", line.CarriedFrom(true).size(), line.CarriedFrom(false).size());
    return 0;
}
