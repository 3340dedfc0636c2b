#pragma once
// Finding sensitive text in a line of recognised text: hand-written scanners,
// linear in the line's length, so that no input can make them slow or deep.
// They report where a match is and what kind it is, never keep its text.
#include <cstddef>
#include <string_view>
#include <vector>

namespace clipvane {

enum class SecretKind {
    kEmail,
    kIpv4,
    kIpv6,
    kMac,
    kCard,
    kIban,
    kPhone,
    kJwt,
    kPrivateKey,  // the first line of a private-key block
    kKey,         // keys with a well-known prefix
    kUrlSecret,   // a URL with a password or a token in it
    kRandom,      // a long random-looking string
    kPattern,     // one of the user's own patterns
};

// The kind's name on the command line and in messages: "email", "card", ...
const char* SecretKindName(SecretKind kind);

struct SecretSpan {
    SecretKind kind;
    size_t begin = 0;  // byte offsets into the line, [begin, end)
    size_t end = 0;
};

// Every match in `line`, at most one per byte: where two scanners match the
// same bytes, the more specific kind (earlier in SecretKind) wins.
std::vector<SecretSpan> ScanLine(std::string_view line);

// The checks behind the scanners, for tests: the Luhn check digit of a card
// number (digits only), the ISO 13616 check of an IBAN (letters and digits
// only), and the Shannon entropy in bits per character.
bool LuhnValid(std::string_view digits);
bool IbanValid(std::string_view iban);
double EntropyBits(std::string_view text);

}  // namespace clipvane
