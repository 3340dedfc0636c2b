#pragma once
// One description of a program's command line that gives both its --help
// text and its manual page (roff, man(7) macros), so the two never disagree.
#include <string>
#include <vector>

namespace clipvane {

struct HelpOption {
    const char* usage;  // "--config PATH": words starting with '-' are literal, upper-case ones placeholders
    const char* text;
};

struct HelpSection {
    const char* title;  // "EXIT STATUS"
    const char* text;   // paragraphs separated by blank lines
};

struct HelpPage {
    const char* program;                // "clipvane"
    const char* summary;                // the NAME line: "screen capture and image editor"
    std::vector<const char*> synopsis;  // argument lists after the program's name
    const char* description;            // paragraphs separated by blank lines
    const char* optionsTitle = "OPTIONS";
    std::vector<HelpOption> options;
    std::vector<HelpSection> sections;  // the manual page's further sections
};

// "Usage: ..." lines, the description and the options, wrapped to 79 columns.
std::string FormatHelp(const HelpPage& page);
// The whole manual page in section 1; version and date go in its header.
std::string FormatManPage(const HelpPage& page, const std::string& version, const std::string& date);
// Text escaped for roff: backslashes, minus signs, and a leading '.' or '\''.
std::string RoffEscape(const std::string& text);

}  // namespace clipvane
