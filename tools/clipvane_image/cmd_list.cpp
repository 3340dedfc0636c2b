// list: the Image and Filter menu commands that `apply` runs, one a line:
// id, short name, then each parameter as NAME=START (MIN..MAX UNIT).
// Names have no spaces, so a script can split the line on them.
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "image/effects/EffectRegistry.h"

namespace {

// A colour parameter reads better in hexadecimal, as it is written.
bool IsColor(const clipvane::EffectParam& p) { return std::strcmp(p.unit, "0xBBGGRR") == 0; }

std::string Value(const clipvane::EffectParam& p, int32_t v) {
    char text[32];
    std::snprintf(text, sizeof text, IsColor(p) ? "0x%06X" : "%d", v);
    return text;
}

std::string FormatEffectList() {
    std::string out;
    for (const clipvane::EffectEntry& e : clipvane::EffectRegistry()) {
        out += std::to_string(e.id) + " " + e.name;
        for (int i = 0; i < e.ParamCount(); ++i) {
            const clipvane::EffectParam& p = e.params[i];
            out += std::string(i ? ", " : " ") + p.name + "=" + Value(p, p.start) + " (" + Value(p, p.minimum) + ".." +
                   Value(p, p.maximum) + (*p.unit && !IsColor(p) ? std::string(" ") + p.unit : "") + ")";
        }
        out += "\n";
    }
    return out;
}

}  // namespace

int CommandList(int argc, char**) {
    if (argc != 0) {
        std::fprintf(stderr, "usage: clipvane-image list\n");
        return 2;
    }
    std::fputs(FormatEffectList().c_str(), stdout);
    return 0;
}
