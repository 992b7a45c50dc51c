// PlanWords: reading sets and count lists.
#include "PlanWords.h"

#include <cctype>

#include "LoadOptions.h"
#include "ReliefSettings.h"
#include "Techniques.h"
#include "base/parsenumber.h"

namespace {

// Adds the comma-separated counts of `text` to `out`, each from `least` to `most`.
bool readCounts(std::string const& text, char const* what, int least, int most, std::vector<int>& out,
                std::string& error) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t const comma = text.find(',', start);
    std::string const item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    start = comma == std::string::npos ? text.size() + 1 : comma + 1;
    if (item.empty()) continue;  // "4,,8" or a trailing comma
    int n = 0;
    if (!parseInt(item.c_str(), n) || n < least || n > most || item.find_first_not_of("0123456789") != std::string::npos) {
      error = std::string(what) + " must be whole numbers from " + std::to_string(least) + " to " +
              std::to_string(most) + " joined by commas, not \"" + item + "\"";
      return false;
    }
    out.push_back(n);
  }
  return true;
}

}  // namespace

bool parsePlanWords(std::vector<std::string> const& words, bool lists, PlanWords& out, std::string& error) {
  PlanWords plan;
  std::vector<int>* list = nullptr;  // the list the counts that follow go on
  std::string listName;
  // A list named but given no counts is refused where it ends.
  auto endList = [&]() {
    if (list && list->empty()) {
      error = "\"" + listName + "\" needs counts after it, e.g. " + listName + (listName == "steps" ? " 4,8,16" : " 2,6");
      return false;
    }
    list = nullptr;
    return true;
  };
  for (std::string const& raw : words) {
    std::string const word = unquoted(raw);
    if (raw.empty()) continue;  // an extra space
    if (word.empty()) {
      error = "an empty set name (\"\")";
      return false;
    }
    bool const counts = std::isdigit(static_cast<unsigned char>(word[0])) != 0;
    if (lists && (word == "steps" || word == "refine")) {
      if (!endList()) return false;
      list = word == "steps" ? &plan.steps : &plan.refine;
      listName = word;
      if (!list->empty()) {
        error = "\"" + word + "\" is given twice";
        return false;
      }
      continue;
    }
    if (counts && list) {
      bool const steps = list == &plan.steps;
      if (!readCounts(word, steps ? "steps" : "refine steps", steps ? ReliefSettings::minSteps : 0,
                      steps ? ReliefSettings::maxSteps : ReliefSettings::maxRefineSteps, *list, error))
        return false;
      continue;
    }
    if (!endList()) return false;
    unsigned set = 0;
    if (!Techniques::parse(word, set, error)) {
      if (counts) error = lists ? "counts go after \"steps\" or \"refine\", not alone (\"" + word + "\")"
                                : "\"" + word + "\" is not a technique set";
      return false;
    }
    plan.sets.push_back(set);
  }
  if (!endList()) return false;
  out = plan;
  return true;
}
