// clipvane-image: the image core on the command line, for scripts, tests and
// benchmarks.
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "base/HelpPage.h"

namespace {

// --help and the manual page clipvane-image(1).
const clipvane::HelpPage kPage{
    "clipvane-image",
    "image file information, conversion, effects and text recognition with Clipvane's image core",
    {"info FILE", "convert IN OUT", "apply [--seed N] ID[:P1[,P2[,P3]]] IN OUT",
     "annotate [--keep-objects] IN OBJECTS.json OUT", "list", "text [--lang L] [--tsv] IN",
     "redact --auto [--lang L] [--pattern RE]... IN OUT", "redact --check [--lang L] [--pattern RE]... IN"},
    "Loads, converts and changes image files exactly as the Clipvane editor does, for scripts, tests and "
    "benchmarks. The file type is taken from the extension: bmp, tga, jpg/jpeg, gif, tif/tiff, png and pcx in any "
    "letter case are written; those and psd, ico and xpm are read.",
    "COMMANDS",
    {
        {"info FILE",
         "load FILE the way the editor opens it and print one line WIDTHxHEIGHT DEPTH SHA256; the SHA-256 covers "
         "the meaningful bytes of the pixel rows from the top row down, as stored (blue, green, red, alpha); a PNG "
         "with editable annotations adds objects=N, the number of its objects"},
        {"convert IN OUT", "load IN and save OUT the way the editor saves"},
        {"apply [--seed N] ID[:P1[,P2[,P3]]] IN OUT",
         "load IN, run the Image or Filter menu command ID (20000 to 20100) with up to three parameters, each in "
         "the range its dialog offers (see list), and save OUT; for example 20009:800,600,1 resizes to 800x600 "
         "smoothly. "
         "--seed N makes the random effects reproducible; -- ends the options"},
        {"list",
         "print the Image and Filter menu commands that apply runs, one a line: the id, a short name and each "
         "parameter as NAME=DEFAULT (MINIMUM..MAXIMUM UNIT), in the order apply takes them"},
        {"annotate [--keep-objects] IN OBJECTS.json OUT",
         "open IN as the editor does, add the annotation objects of the JSON description OBJECTS.json and save OUT "
         "as the editor's Save does; --keep-objects writes a PNG with editable annotations"},
        {"text [--lang L] [--tsv] IN",
         "recognise the text of IN (offline, with Tesseract) and print it in reading order, one line a line, "
         "columns and paragraphs apart by an empty line; --lang picks the installed language data (eng by default, "
         "several joined by +); --tsv prints one word a line instead: block, line, left, top, width, height, "
         "confidence (0 to 100) and the word, split by tabs"},
        {"redact --auto [--lang L] [--pattern RE]... IN OUT",
         "find sensitive text in IN (e-mail, IPv4, IPv6 and MAC addresses, card numbers that pass the Luhn check, "
         "IBANs, international phone numbers, JWTs, private-key blocks, keys with well-known prefixes, URLs "
         "carrying passwords or tokens, long random strings, and each --pattern, an ECMAScript regular "
         "expression), cover each match with a mosaic as Filter / Redact does and save OUT; one line per match, "
         "KIND LEFT,TOP WIDTHxHEIGHT, never the matched text"},
        {"redact --check [--lang L] [--pattern RE]... IN",
         "the same search without writing anything: the same lines, and exit status 3 when anything was found"},
        {"--help", "show this help"},
        {"--version", "show the version"},
    },
    {
        {"EXIT STATUS",
         "0 on success (also when a picture holds no text: a message on standard error says so); 1 when a file "
         "cannot be read or written or its text cannot be recognised (a message on standard error says why); 2 for "
         "wrong arguments; 3 when redact --check finds sensitive text."},
        {"SEE ALSO", "clipvane(1)"},
    },
};

void Usage() {
    std::fprintf(stderr,
                 "usage: clipvane-image info FILE\n"
                 "       clipvane-image convert IN OUT\n"
                 "       clipvane-image apply [--seed N] ID[:P1[,P2[,P3]]] IN OUT\n"
                 "       clipvane-image annotate [--keep-objects] IN OBJECTS.json OUT\n"
                 "       clipvane-image list\n"
                 "       clipvane-image text [--lang L] [--tsv] IN\n"
                 "       clipvane-image redact (--auto IN OUT | --check IN) [--lang L] [--pattern RE]...\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage();
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(clipvane::FormatHelp(kPage).c_str(), stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("clipvane-image %s\n", CLIPVANE_VERSION);
        return 0;
    }
    if (std::strcmp(argv[1], "--help-man") == 0) {
        std::fputs(clipvane::FormatManPage(kPage, "Clipvane " CLIPVANE_VERSION, CLIPVANE_RELEASE_DATE).c_str(), stdout);
        return 0;
    }
    struct Entry {
        const char* name;
        int (*run)(int, char**);
    };
    static const Entry commands[] = {
        {"info", CommandInfo}, {"convert", CommandConvert}, {"apply", CommandApply},  {"annotate", CommandAnnotate},
        {"list", CommandList}, {"text", CommandText},       {"redact", CommandRedact}};
    for (const Entry& e : commands)
        if (std::strcmp(argv[1], e.name) == 0) return e.run(argc - 2, argv + 2);
    Usage();
    return 2;
}
