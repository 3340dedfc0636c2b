#include <cstdio>

#include "Commands.h"

int CommandInfo(int, char**) {
    std::fprintf(stderr, "clipvane-image: 'info' is not available yet\n");
    return 1;
}
