// Console arguments as the commands read them: tokens keep their double
// quotes (a file name with spaces arrives quoted), so they are unquoted here.
#pragma once

#include <string>
#include <vector>

// The token without its double quotes.
std::string unquote(char const* token);
// Tokens first to last - 1 joined by single spaces, quotes removed.
std::string joined(char** argv, int first, int last);
// Tokens first to last - 1 as they came (quotes kept, an empty token for each
// extra space), for the readers of option words and plans.
std::vector<std::string> tokens(char** argv, int first, int last);
// Whether `name` ends in one of `extensions` (".csv"), in any case.
bool hasExtension(std::string const& name, std::vector<std::string> const& extensions);
