// clipvane-image: the image core on the command line, for scripts, tests and
// benchmarks.
#include <cstdio>
#include <cstring>

#include "Commands.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: clipvane-image info FILE\n"
                 "       clipvane-image convert IN OUT\n"
                 "       clipvane-image apply [--seed N] ID[:P1[,P2[,P3]]] IN OUT\n"
                 "       clipvane-image annotate IN OBJECTS.json OUT\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage();
        return 2;
    }
    struct Entry {
        const char* name;
        int (*run)(int, char**);
    };
    static const Entry commands[] = {
        {"info", CommandInfo}, {"convert", CommandConvert}, {"apply", CommandApply}, {"annotate", CommandAnnotate}};
    for (const Entry& e : commands)
        if (std::strcmp(argv[1], e.name) == 0) return e.run(argc - 2, argv + 2);
    Usage();
    return 2;
}
