// LoadOptions: the option words in front of a file name on a loading
// command's line (`normalMap -flipgreen FILE`, `heightMap -invert FILE`,
// `scene -flipv FILE`).
#pragma once

#include <string>
#include <vector>

// A loading command takes the rest of its line as the file name, and names may
// hold spaces ("fine detail.bmp"), so options can only come first: every
// leading word that starts with '-' is an option, and the name begins at the
// first word that does not. Words after that belong to the name, whatever they
// start with ("a -b.png" is one name). A file whose name starts with '-' is
// given as "./-name", or in double quotes ("\"-name\""): a quoted word is
// never an option.
struct LoadOptions {
  std::vector<std::string> given;  // the options named, each once, in the order first named
  std::string file;                // the name, quotes removed, words joined by single spaces

  bool has(std::string const& option) const;
};

// Reads the words after the command's name as the console hands them over
// (double quotes kept; an empty word for each extra space). `known` lists the
// options the command takes, with their '-'. True with `out` filled; false with
// one line in `error` and `out` untouched, for an option that is not known (the
// line names the known ones and how to give a name that starts with '-') or for
// options without a file name after them (the command's usage).
// A console word with its double quotes taken out ("\"a b\"" gives "a b").
std::string unquoted(std::string const& word);

bool parseLoadOptions(char const* command, std::vector<std::string> const& words,
                      std::vector<std::string> const& known, LoadOptions& out, std::string& error);
