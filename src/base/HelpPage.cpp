#include "base/HelpPage.h"

#include <cctype>
#include <sstream>

namespace clipvane {

namespace {

constexpr size_t kWidth = 79;
constexpr size_t kOptionColumn = 24;

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Paragraphs are separated by blank lines; line breaks inside one are spaces.
std::vector<std::string> Paragraphs(const char* text) {
    std::vector<std::string> paragraphs;
    std::string current;
    std::istringstream in(text ? text : "");
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(' ') == std::string::npos) {
            if (!current.empty()) paragraphs.push_back(current);
            current.clear();
        } else {
            if (!current.empty()) current += ' ';
            current += line;
        }
    }
    if (!current.empty()) paragraphs.push_back(current);
    return paragraphs;
}

// Words filled into lines of at most kWidth columns, every line but the
// first indented by `indent` columns; `column` is where the first starts.
std::string Fill(const std::string& text, size_t indent, size_t column) {
    std::string out;
    size_t at = column;
    bool lineEmpty = true;
    for (const std::string& w : Words(text)) {
        if (!lineEmpty && at + 1 + w.size() > kWidth) {
            out += '\n';
            out.append(indent, ' ');
            at = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++at;
        }
        out += w;
        at += w.size();
        lineEmpty = false;
    }
    return out;
}

std::string UpperCase(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool IsPlaceholder(const std::string& word) {
    bool letter = false;
    for (char c : word) {
        if (std::isupper(static_cast<unsigned char>(c))) {
            letter = true;
        } else if (!std::isdigit(static_cast<unsigned char>(c)) && c != '_') {
            return false;
        }
    }
    return letter;
}

// One usage word in roff: options bold, placeholders italic, the brackets
// and ellipses around them plain.
std::string RoffUsageWord(const std::string& word) {
    size_t begin = word.find_first_not_of('[');
    if (begin == std::string::npos) return RoffEscape(word);
    size_t end = word.size();
    while (end > begin && (word[end - 1] == ']' || word[end - 1] == '.')) --end;
    std::string core = word.substr(begin, end - begin);
    std::string value;
    const size_t eq = core.find('=');
    if (core[0] == '-' && eq != std::string::npos) {
        value = core.substr(eq + 1);
        core.resize(eq);
    }
    std::string out = word.substr(0, begin);
    if (core[0] == '-') {
        out.append("\\fB").append(RoffEscape(core)).append("\\fR");
        if (eq != std::string::npos) out.append("=\\fI").append(RoffEscape(value)).append("\\fR");
    } else if (IsPlaceholder(core)) {
        out.append("\\fI").append(RoffEscape(core)).append("\\fR");
    } else {
        out += RoffEscape(core);
    }
    out += RoffEscape(word.substr(end));
    return out;
}

std::string RoffUsage(const std::string& usage) {
    std::string out;
    for (const std::string& w : Words(usage)) {
        if (!out.empty()) out += ' ';
        out += RoffUsageWord(w);
    }
    return out;
}

std::string RoffQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : RoffEscape(text))
        if (c != '"') out += c;
    return out + "\"";
}

void RoffParagraphs(std::string& out, const char* text) {
    bool first = true;
    for (const std::string& p : Paragraphs(text)) {
        if (!first) out += ".PP\n";
        out.append(RoffEscape(p)).append("\n");
        first = false;
    }
}

}  // namespace

std::string RoffEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::string FormatHelp(const HelpPage& page) {
    std::string out;
    const std::string program = page.program;
    for (size_t i = 0; i < page.synopsis.size(); ++i) {
        std::string lead = i == 0 ? "Usage: " : "   or: ";
        lead.append(program).append(" ");
        out.append(lead).append(Fill(page.synopsis[i], lead.size() + 2, lead.size())).append("\n");
    }
    for (const std::string& p : Paragraphs(page.description)) out.append("\n").append(Fill(p, 0, 0)).append("\n");
    if (!page.options.empty()) {
        std::string title = page.optionsTitle;
        for (size_t i = 1; i < title.size(); ++i) title[i] = char(std::tolower(static_cast<unsigned char>(title[i])));
        out.append("\n").append(title).append(":\n");
    }
    for (const HelpOption& o : page.options) {
        const std::string usage = std::string("  ") + o.usage;
        out += usage;
        if (usage.size() + 2 <= kOptionColumn) {
            out += std::string(kOptionColumn - usage.size(), ' ');
        } else {
            out += '\n';
            out.append(kOptionColumn, ' ');
        }
        out.append(Fill(o.text, kOptionColumn, kOptionColumn)).append("\n");
    }
    return out;
}

std::string FormatManPage(const HelpPage& page, const std::string& version, const std::string& date) {
    std::string out = ".TH ";
    out.append(RoffQuoted(UpperCase(page.program))).append(" 1 ").append(RoffQuoted(date)).append(" ");
    out.append(RoffQuoted(version)).append(" \"User Commands\"\n");
    out.append(".SH NAME\n").append(RoffEscape(page.program)).append(" \\- ").append(RoffEscape(page.summary));
    out.append("\n.SH SYNOPSIS\n");
    for (size_t i = 0; i < page.synopsis.size(); ++i) {
        if (i > 0) out += ".br\n";
        out.append("\\fB").append(RoffEscape(page.program)).append("\\fR ");
        out.append(RoffUsage(page.synopsis[i])).append("\n");
    }
    out += ".SH DESCRIPTION\n";
    RoffParagraphs(out, page.description);
    if (!page.options.empty()) out.append(".SH ").append(RoffEscape(page.optionsTitle)).append("\n");
    for (const HelpOption& o : page.options) {
        out.append(".TP\n").append(RoffUsage(o.usage)).append("\n");
        RoffParagraphs(out, o.text);
    }
    for (const HelpSection& s : page.sections) {
        out.append(".SH ").append(RoffEscape(s.title)).append("\n");
        RoffParagraphs(out, s.text);
    }
    return out;
}

}  // namespace clipvane
