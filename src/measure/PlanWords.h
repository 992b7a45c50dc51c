// PlanWords: the technique sets, step counts and bisection counts that the
// words of a measuring command ask for, as in
//   fidelity sweep a.csv ITERATIVE PARALLAX+ITERATIVE none steps 4,8,16 refine 2,6
#pragma once

#include <string>
#include <vector>

struct PlanWords {
  std::vector<unsigned> sets;  // in the order named; empty: the command's own list
  std::vector<int> steps;      // after "steps"; empty: the command's own counts
  std::vector<int> refine;     // after "refine"; empty: the panel's count
};

// Each word is a set as Techniques::parse reads it ("A+B", a label, "none"),
// or, where `lists` allows, "steps" or "refine" followed by counts joined by
// commas; a list may go on over the words after it that start with a digit
// ("steps 4, 8"). Steps run from ReliefSettings::minSteps to maxSteps,
// bisections from 0 to maxRefineSteps. Empty words (extra spaces) are passed
// over and double quotes ignored, but a quoted empty word is refused. True with `out` filled; false with one line
// in `error` and `out` untouched.
bool parsePlanWords(std::vector<std::string> const& words, bool lists, PlanWords& out, std::string& error);
