#include <cstdio>

#include "Commands.h"

int CommandApply(int, char**) {
    std::fprintf(stderr, "clipvane-image: 'apply' is not available yet\n");
    return 1;
}
