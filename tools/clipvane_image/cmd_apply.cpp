// apply [--seed N] [--threads N] ID[:P1[,P2[,P3]]] IN OUT: runs one Image or
// Filter menu command on an image file as an opened document would (the
// document holds its image at 32 bits per pixel; the command then converts
// and normalises as it does in the editor) and saves the result by OUT's
// extension. Unlike the editor it keeps no undo copy: the effects work on
// the one loaded image.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "image/ImageEffect.h"
#include "image/effects/EffectCommands.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: clipvane-image apply [--seed N] [--threads N] [--] ID[:P1[,P2[,P3]]] IN OUT\n");
    return 2;
}

// A whole number in [lo, hi], decimal or 0x hexadecimal, nothing else.
bool ParseNumber(const std::string& text, long long lo, long long hi, long long& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end != text.c_str() + text.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}

// The value of option `name` ("--name V" or "--name=V") at argv[i], moving i
// past it; false when arg is not that option. `missing` is set when the value
// is not there.
bool OptionValue(const std::string& name, int argc, char** argv, int& i, std::string& value, bool& missing) {
    const std::string arg = argv[i];
    missing = false;
    if (arg == name) {
        if (i + 1 >= argc) {
            missing = true;
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (arg.rfind(name + "=", 0) != 0) return false;
    value = arg.substr(name.size() + 1);
    return true;
}

// "ID[:P1[,P2[,P3]]]".
bool ParseCommand(const std::string& spec, int& id, clipvane::EffectParams& params) {
    const size_t colon = spec.find(':');
    long long v;
    if (!ParseNumber(spec.substr(0, colon), 0, INT_MAX, v)) return false;
    id = int(v);
    params = {};
    if (colon == std::string::npos) return true;
    std::string rest = spec.substr(colon + 1);
    for (;;) {
        const size_t comma = rest.find(',');
        // Parameters are int32; a colour up to 0xFFFFFFFF is taken as its bits.
        if (params.count == 3 || !ParseNumber(rest.substr(0, comma), INT_MIN, UINT_MAX, v)) return false;
        params.values[params.count++] = int32_t(uint32_t(v));
        if (comma == std::string::npos) return true;
        rest = rest.substr(comma + 1);
    }
}

}  // namespace

int CommandApply(int argc, char** argv) {
    // Options may come anywhere, as with GNU tools; "--" ends them.
    uint32_t seedValue = 0;
    const uint32_t* seed = nullptr;
    std::vector<std::string> operands;
    bool options = true;
    bool missing = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
        } else if (arg == "--") {
            options = false;
        } else if (std::string value; OptionValue("--threads", argc, argv, i, value, missing)) {
            long long v;
            if (missing) return Usage();
            if (!ParseNumber(value, 0, 1024, v)) {
                std::fprintf(stderr, "clipvane-image: bad thread count '%s' (0..1024, 0 for one per processor)\n",
                             value.c_str());
                return Usage();
            }
            clipvane::SetEffectThreads(int(v));
        } else if (OptionValue("--seed", argc, argv, i, value, missing)) {
            if (missing) return Usage();
            long long v;
            if (!ParseNumber(value, 0, UINT32_MAX, v)) {
                std::fprintf(stderr, "clipvane-image: bad seed '%s'\n", value.c_str());
                return Usage();
            }
            seedValue = uint32_t(v);
            seed = &seedValue;
        } else {
            std::fprintf(stderr, "clipvane-image: unknown option '%s'\n", arg.c_str());
            return Usage();
        }
    }
    if (operands.size() != 3) return Usage();
    int id = 0;
    clipvane::EffectParams params;
    if (!ParseCommand(operands[0], id, params)) {
        std::fprintf(stderr, "clipvane-image: bad command '%s'\n", operands[0].c_str());
        return Usage();
    }
    if (id < clipvane::kCmdFirstEffect || id > clipvane::kCmdLastEffect) {
        std::fprintf(stderr, "clipvane-image: %d is not an Image or Filter command (20000..20100)\n", id);
        return 2;
    }
    // Redact works on the editor's band; here it would only change the depth
    // and leave every pixel readable, the opposite of what was asked.
    if (id == clipvane::kCmdRedact) {
        std::fprintf(stderr,
                     "clipvane-image: Redact needs a band drawn in the editor; use Mosaic (%d:CELL) on the picture\n",
                     int(clipvane::kCmdMosaic));
        return 2;
    }
    // The ranges of the command's dialog: anything outside them is refused
    // rather than run (an oil-paint radius of 1000 would run for minutes).
    const std::string wrong = clipvane::CheckEffectParams(id, params);
    if (!wrong.empty()) {
        std::fprintf(stderr, "clipvane-image: %s\n", wrong.c_str());
        return 2;
    }
    clipvane::PixelImage image;
    if (!LoadInput(operands[1].c_str(), image)) return 1;
    image.ConvertTo(32);  // as opening a document does
    // The steps the editor runs for this command (the document's own runner
    // is tested to give the same bytes), without its undo history.
    clipvane::RunEffectCommand(id, params, image, nullptr, seed);
    return SaveOutput(image, operands[2].c_str()) ? 0 : 1;
}
