#include <cstdio>

#include "Commands.h"

int CommandConvert(int, char**) {
    std::fprintf(stderr, "clipvane-image: 'convert' is not available yet\n");
    return 1;
}
