#include "text/SecretScanners.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

namespace clipvane {
namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Upper(char c) { return c >= 'A' && c <= 'Z'; }
bool Lower(char c) { return c >= 'a' && c <= 'z'; }
bool Alnum(char c) { return Digit(c) || Upper(c) || Lower(c); }
bool Hex(char c) { return Digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char Fold(char c) { return Upper(c) ? char(c - 'A' + 'a') : c; }
// Characters of base64 and its URL-safe form, the stuff of tokens.
bool TokenChar(char c) { return Alnum(c) || c == '+' || c == '/' || c == '=' || c == '_' || c == '-'; }
bool UrlEnd(char c) { return c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '<' || c == '>'; }

// True when nothing word-like touches [begin, end) from either side.
bool Bounded(std::string_view s, size_t begin, size_t end) {
    return (begin == 0 || !Alnum(s[begin - 1])) && (end >= s.size() || !Alnum(s[end]));
}

using Out = std::vector<SecretSpan>;

void ScanEmail(std::string_view s, Out& out) {
    const auto local = [](char c) { return Alnum(c) || std::strchr("._%+-", c); };
    const auto domain = [](char c) { return Alnum(c) || c == '.' || c == '-'; };
    for (size_t at = s.find('@'); at != std::string_view::npos; at = s.find('@', at + 1)) {
        size_t b = at;
        while (b > 0 && at - b < 64 && local(s[b - 1])) --b;
        while (b < at && s[b] == '.') ++b;
        size_t e = at + 1;
        while (e < s.size() && e - at < 255 && domain(s[e])) ++e;
        while (e > at + 1 && (s[e - 1] == '.' || s[e - 1] == '-')) --e;
        if (b == at || e <= at + 1) continue;
        const std::string_view host = s.substr(at + 1, e - at - 1);
        const size_t dot = host.rfind('.');
        if (dot == std::string_view::npos || dot == 0 || host.size() - dot - 1 < 2) continue;
        if (!std::all_of(host.begin() + long(dot) + 1, host.end(), [](char c) { return Upper(c) || Lower(c); }))
            continue;
        out.push_back({SecretKind::kEmail, b, e});
    }
}

void ScanIpv4(std::string_view s, Out& out) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (!Digit(s[i]) || (i > 0 && (Alnum(s[i - 1]) || s[i - 1] == '.'))) continue;
        size_t p = i;
        int parts = 0;
        bool ok = true;
        while (ok && parts < 4) {
            int value = 0, digits = 0;
            while (p < s.size() && Digit(s[p]) && digits < 4) value = value * 10 + (s[p++] - '0'), ++digits;
            ok = digits >= 1 && digits <= 3 && value <= 255;
            if (++parts < 4) ok = ok && p < s.size() && s[p++] == '.';
        }
        // Not part of a longer dotted number (a version, an OID).
        const bool more = p < s.size() && (Alnum(s[p]) || (s[p] == '.' && p + 1 < s.size() && Digit(s[p + 1])));
        if (ok && !more) {
            out.push_back({SecretKind::kIpv4, i, p});
            i = p;
        }
    }
}

bool ValidIpv6(std::string_view t) {
    const size_t dbl = t.find("::");
    if (dbl != std::string_view::npos && t.find("::", dbl + 1) != std::string_view::npos) return false;
    int groups = 0;
    size_t i = 0;
    while (i < t.size()) {
        if (t[i] == ':') {
            ++i;
            continue;
        }
        size_t e = i;
        while (e < t.size() && Hex(t[e])) ++e;
        if (e - i > 4) return false;
        ++groups;
        i = e;
    }
    // A lone colon at either end is not an address ("a:" or ":a").
    if ((t.front() == ':' && t.substr(0, 2) != "::") || (t.back() == ':' && t.substr(t.size() - 2) != "::"))
        return false;
    return dbl == std::string_view::npos ? groups == 8 : groups >= 2 && groups <= 7;
}

void ScanIpv6(std::string_view s, Out& out) {
    const auto part = [](char c) { return Hex(c) || c == ':'; };
    for (size_t i = 0; i < s.size();) {
        if (!part(s[i]) || (i > 0 && (Alnum(s[i - 1]) || s[i - 1] == ':'))) {
            ++i;
            continue;
        }
        size_t e = i;
        while (e < s.size() && part(s[e])) ++e;
        const std::string_view t = s.substr(i, e - i);
        if (Bounded(s, i, e) && std::count(t.begin(), t.end(), ':') >= 2 && ValidIpv6(t))
            out.push_back({SecretKind::kIpv6, i, e});
        i = e;
    }
}

void ScanMac(std::string_view s, Out& out) {
    for (size_t i = 0; i + 14 <= s.size(); ++i) {
        if (i > 0 && (Alnum(s[i - 1]) || s[i - 1] == ':' || s[i - 1] == '-' || s[i - 1] == '.')) continue;
        // Six pairs split by one separator, or three fours split by dots.
        if (i + 17 <= s.size() && (s[i + 2] == ':' || s[i + 2] == '-')) {
            const char sep = s[i + 2];
            bool ok = true;
            for (size_t k = 0; k < 17 && ok; ++k) ok = (k % 3 == 2) ? s[i + k] == sep : Hex(s[i + k]);
            if (ok && (i + 17 == s.size() || !(Alnum(s[i + 17]) || s[i + 17] == sep))) {
                out.push_back({SecretKind::kMac, i, i + 17});
                continue;
            }
        }
        bool ok = true;
        for (size_t k = 0; k < 14 && ok; ++k) ok = (k % 5 == 4) ? s[i + k] == '.' : Hex(s[i + k]);
        if (ok && (i + 14 == s.size() || !(Alnum(s[i + 14]) || s[i + 14] == '.')))
            out.push_back({SecretKind::kMac, i, i + 14});
    }
}

void ScanCard(std::string_view s, Out& out) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (!Digit(s[i]) || (i > 0 && (Alnum(s[i - 1]) || s[i - 1] == '.' || s[i - 1] == '+'))) continue;
        std::string digits;
        std::vector<std::pair<size_t, size_t>> ends;  // (digits so far, end offset) at each group's end
        size_t p = i;
        while (p < s.size() && digits.size() <= 19) {
            if (Digit(s[p])) {
                digits += s[p++];
                if (p >= s.size() || !Digit(s[p])) ends.emplace_back(digits.size(), p);
            } else if ((s[p] == ' ' || s[p] == '-') && p + 1 < s.size() && Digit(s[p + 1])) {
                ++p;
            } else {
                break;
            }
        }
        for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
            const auto [count, end] = *it;
            if (count < 13 || count > 19 || (end < s.size() && Alnum(s[end]))) continue;
            const std::string_view number(digits.data(), count);
            if (number.find_first_not_of(number[0]) == std::string_view::npos || !LuhnValid(number)) continue;
            out.push_back({SecretKind::kCard, i, end});
            i = end;
            break;
        }
        if (i < p && !ends.empty() && ends.back().second == p) i = std::max(i, p - 1);
    }
}

void ScanIban(std::string_view s, Out& out) {
    for (size_t i = 0; i + 15 <= s.size(); ++i) {
        if (!(Upper(s[i]) && Upper(s[i + 1]) && Digit(s[i + 2]) && Digit(s[i + 3])) || (i > 0 && Alnum(s[i - 1])))
            continue;
        std::string chars;
        std::vector<std::pair<size_t, size_t>> ends;
        size_t p = i;
        while (p < s.size() && chars.size() < 34) {
            if (Upper(s[p]) || Digit(s[p])) {
                chars += s[p++];
                if (p >= s.size() || !(Upper(s[p]) || Digit(s[p]))) ends.emplace_back(chars.size(), p);
            } else if (s[p] == ' ' && p + 1 < s.size() && (Upper(s[p + 1]) || Digit(s[p + 1]))) {
                ++p;
            } else {
                break;
            }
        }
        for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
            const auto [count, end] = *it;
            if (count < 15 || (end < s.size() && Alnum(s[end]))) continue;
            if (!IbanValid(std::string_view(chars.data(), count))) continue;
            out.push_back({SecretKind::kIban, i, end});
            i = end;
            break;
        }
    }
}

void ScanPhone(std::string_view s, Out& out) {
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '+' || !Digit(s[i + 1]) || s[i + 1] == '0' || (i > 0 && Alnum(s[i - 1]))) continue;
        size_t p = i + 1, last = p, digits = 0;
        int gap = 0;  // separators since the last digit: "-", " ", " (", ") "
        while (p < s.size() && digits <= 15) {
            const char c = s[p];
            if (Digit(c)) {
                ++digits;
                last = ++p;
                gap = 0;
            } else if (gap < 2 && (c == ' ' || c == '-' || c == '.' || c == '(' || c == ')')) {
                ++gap;
                ++p;
            } else {
                break;
            }
        }
        if (digits >= 8 && digits <= 15 && (last >= s.size() || !Alnum(s[last]))) {
            out.push_back({SecretKind::kPhone, i, last});
            i = last;
        }
    }
}

void ScanJwt(std::string_view s, Out& out) {
    const auto b64 = [](char c) { return Alnum(c) || c == '_' || c == '-'; };
    for (size_t i = s.find("eyJ"); i != std::string_view::npos; i = s.find("eyJ", i + 1)) {
        if (i > 0 && b64(s[i - 1])) continue;
        size_t p = i;
        size_t lengths[3] = {0, 0, 0};
        int segment = 0;
        for (; p < s.size(); ++p) {
            if (b64(s[p])) {
                ++lengths[segment];
            } else if (s[p] == '.' && segment < 2) {
                ++segment;
            } else {
                break;
            }
        }
        if (segment == 2 && lengths[0] >= 10 && lengths[1] >= 10) {
            out.push_back({SecretKind::kJwt, i, p});
            i = p - 1;
        }
    }
}

void ScanPrivateKey(std::string_view s, Out& out) {
    const size_t begin = s.find("BEGIN");
    if (begin != std::string_view::npos && s.find("PRIVATE KEY", begin) != std::string_view::npos)
        out.push_back({SecretKind::kPrivateKey, 0, s.size()});
}

struct KeyPrefix {
    const char* prefix;
    bool (*body)(char);
    size_t least, most;  // the body's length after the prefix
};

bool UpperDigit(char c) { return Upper(c) || Digit(c); }
bool AlnumUnderscore(char c) { return Alnum(c) || c == '_'; }
bool AlnumDash(char c) { return Alnum(c) || c == '-'; }
bool AlnumUnderscoreDash(char c) { return Alnum(c) || c == '_' || c == '-'; }

const KeyPrefix kKeyPrefixes[] = {
    {"AKIA", UpperDigit, 16, 16},
    {"ASIA", UpperDigit, 16, 16},
    {"ghp_", Alnum, 30, 40},
    {"gho_", Alnum, 30, 40},
    {"ghu_", Alnum, 30, 40},
    {"ghs_", Alnum, 30, 40},
    {"ghr_", Alnum, 30, 40},
    {"github_pat_", AlnumUnderscore, 22, 255},
    {"xoxb-", AlnumDash, 10, 255},
    {"xoxp-", AlnumDash, 10, 255},
    {"xoxa-", AlnumDash, 10, 255},
    {"xoxr-", AlnumDash, 10, 255},
    {"xoxs-", AlnumDash, 10, 255},
    {"xoxe-", AlnumDash, 10, 255},
    {"sk_live_", Alnum, 16, 255},
    {"rk_live_", Alnum, 16, 255},
    {"AIza", AlnumUnderscoreDash, 33, 37},
};

void ScanKeys(std::string_view s, Out& out) {
    for (const KeyPrefix& key : kKeyPrefixes) {
        const size_t n = std::strlen(key.prefix);
        for (size_t i = s.find(key.prefix); i != std::string_view::npos; i = s.find(key.prefix, i + 1)) {
            if (i > 0 && (Alnum(s[i - 1]) || s[i - 1] == '_')) continue;
            size_t e = i + n;
            while (e < s.size() && key.body(s[e]) && e - i - n <= key.most) ++e;
            const size_t length = e - i - n;
            if (length >= key.least && length <= key.most && (e >= s.size() || !Alnum(s[e])))
                out.push_back({SecretKind::kKey, i, e});
        }
    }
}

// A query or fragment parameter name that carries a credential.
bool SecretParameter(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), Fold);
    static const char* const kNames[] = {"key",
                                         "apikey",
                                         "api_key",
                                         "secret",
                                         "password",
                                         "passwd",
                                         "pwd",
                                         "pass",
                                         "auth",
                                         "signature",
                                         "sig",
                                         "session",
                                         "sessionid",
                                         "sid",
                                         "code",
                                         "credential",
                                         "x-amz-signature",
                                         "x-amz-credential"};
    for (const char* known : kNames)
        if (name == known) return true;
    for (const char* tail : {"token", "secret", "password", "_key", "-key"})
        if (name.size() >= std::strlen(tail) &&
            name.compare(name.size() - std::strlen(tail), std::string::npos, tail) == 0)
            return true;
    return false;
}

void ScanUrls(std::string_view s, Out& out) {
    for (size_t sep = s.find("://"); sep != std::string_view::npos; sep = s.find("://", sep + 3)) {
        size_t b = sep;
        while (b > 0 && (Alnum(s[b - 1]) || s[b - 1] == '+' || s[b - 1] == '.' || s[b - 1] == '-')) --b;
        if (b == sep) continue;
        size_t e = sep + 3;
        while (e < s.size() && !UrlEnd(s[e])) ++e;
        const std::string_view url = s.substr(b, e - b);
        const size_t start = sep + 3 - b;
        const size_t slash = url.find_first_of("/?#", start);
        const std::string_view authority =
            url.substr(start, slash == std::string_view::npos ? url.npos : slash - start);
        const size_t at = authority.rfind('@');
        bool secret = at != std::string_view::npos && authority.substr(0, at).find(':') != std::string_view::npos &&
                      authority.substr(0, at).find(':') + 1 < at;
        const size_t query = url.find_first_of("?#", start);
        for (size_t p = query; !secret && p != std::string_view::npos && p < url.size();) {
            const size_t next = url.find_first_of("&;#", p + 1);
            const std::string_view param = url.substr(p + 1, next == url.npos ? url.npos : next - p - 1);
            const size_t eq = param.find('=');
            secret = eq != std::string_view::npos && param.size() - eq - 1 >= 4 &&
                     SecretParameter(std::string(param.substr(0, eq)));
            p = next;
        }
        if (secret) out.push_back({SecretKind::kUrlSecret, b, e});
        sep = e > sep + 3 ? e - 3 : sep;
    }
}

// Long strings of token characters that look random: letters of both cases
// and digits mixed throughout with a high entropy, or long hexadecimal.
void ScanRandom(std::string_view s, Out& out) {
    for (size_t i = 0; i < s.size();) {
        if (!TokenChar(s[i])) {
            ++i;
            continue;
        }
        size_t e = i;
        while (e < s.size() && TokenChar(s[e])) ++e;
        size_t end = e;
        while (end > i && s[end - 1] == '=') --end;
        const std::string_view t = s.substr(i, end - i);
        if (t.size() >= 20) {
            int upper = 0, lower = 0, digits = 0, changes = 0;
            bool hex = true;
            const auto kind = [](char c) { return Upper(c) ? 0 : Lower(c) ? 1 : Digit(c) ? 2 : 3; };
            for (size_t k = 0; k < t.size(); ++k) {
                upper += Upper(t[k]);
                lower += Lower(t[k]);
                digits += Digit(t[k]);
                hex = hex && Hex(t[k]);
                if (k > 0 && kind(t[k]) != kind(t[k - 1])) ++changes;
            }
            const double entropy = EntropyBits(t);
            const bool mixed =
                upper > 0 && lower > 0 && digits >= 2 && entropy >= 3.5 && changes * 10 >= int(t.size()) * 4;
            const bool longHex = hex && t.size() >= 32 && digits >= 4 && upper + lower >= 4 && entropy >= 3.0;
            if (mixed || longHex) out.push_back({SecretKind::kRandom, i, end});
        }
        i = e;
    }
}

}  // namespace

const char* SecretKindName(SecretKind kind) {
    switch (kind) {
    case SecretKind::kEmail: return "email";
    case SecretKind::kIpv4: return "ipv4";
    case SecretKind::kIpv6: return "ipv6";
    case SecretKind::kMac: return "mac";
    case SecretKind::kCard: return "card";
    case SecretKind::kIban: return "iban";
    case SecretKind::kPhone: return "phone";
    case SecretKind::kJwt: return "jwt";
    case SecretKind::kPrivateKey: return "private-key";
    case SecretKind::kKey: return "key";
    case SecretKind::kUrlSecret: return "url-secret";
    case SecretKind::kRandom: return "random";
    case SecretKind::kPattern: return "pattern";
    }
    return "unknown";
}

bool LuhnValid(std::string_view digits) {
    if (digits.empty()) return false;
    int sum = 0;
    bool twice = false;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (!Digit(*it)) return false;
        int d = *it - '0';
        if (twice && (d *= 2) > 9) d -= 9;
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

bool IbanValid(std::string_view iban) {
    if (iban.size() < 15 || iban.size() > 34 || !Upper(iban[0]) || !Upper(iban[1]) || !Digit(iban[2]) ||
        !Digit(iban[3]))
        return false;
    // The first four characters move to the end; letters count 10 to 35;
    // the whole number modulo 97 is 1.
    int remainder = 0;
    for (size_t k = 0; k < iban.size(); ++k) {
        const char c = iban[(k + 4) % iban.size()];
        if (Digit(c))
            remainder = (remainder * 10 + (c - '0')) % 97;
        else if (Upper(c))
            remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
        else
            return false;
    }
    return remainder == 1;
}

double EntropyBits(std::string_view text) {
    if (text.empty()) return 0;
    std::array<int, 256> counts{};
    for (char c : text) ++counts[uint8_t(c)];
    double bits = 0;
    for (int n : counts)
        if (n > 0) {
            const double p = double(n) / double(text.size());
            bits -= p * std::log2(p);
        }
    return bits;
}

std::vector<SecretSpan> ScanLine(std::string_view line) {
    Out found;
    ScanPrivateKey(line, found);
    ScanKeys(line, found);
    ScanJwt(line, found);
    ScanUrls(line, found);
    ScanEmail(line, found);
    ScanCard(line, found);
    ScanIban(line, found);
    ScanMac(line, found);
    ScanIpv6(line, found);
    ScanIpv4(line, found);
    ScanPhone(line, found);
    ScanRandom(line, found);
    // The more specific kind first; a later match on any of its bytes is dropped.
    std::stable_sort(found.begin(), found.end(), [](const SecretSpan& a, const SecretSpan& b) {
        static const SecretKind kOrder[] = {SecretKind::kPrivateKey, SecretKind::kKey,   SecretKind::kJwt,
                                            SecretKind::kUrlSecret,  SecretKind::kEmail, SecretKind::kCard,
                                            SecretKind::kIban,       SecretKind::kMac,   SecretKind::kIpv6,
                                            SecretKind::kIpv4,       SecretKind::kPhone, SecretKind::kRandom};
        const auto rank = [](SecretKind k) { return std::find(std::begin(kOrder), std::end(kOrder), k) - kOrder; };
        return rank(a.kind) < rank(b.kind);
    });
    Out kept;
    for (const SecretSpan& span : found) {
        const bool overlaps = std::any_of(
            kept.begin(), kept.end(), [&](const SecretSpan& k) { return span.begin < k.end && k.begin < span.end; });
        if (!overlaps) kept.push_back(span);
    }
    std::sort(kept.begin(), kept.end(), [](const SecretSpan& a, const SecretSpan& b) { return a.begin < b.begin; });
    return kept;
}

}  // namespace clipvane
