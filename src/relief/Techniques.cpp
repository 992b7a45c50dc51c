// The technique table, set names and the macro string.
#include "Techniques.h"

#include <cctype>
#include <sstream>

namespace Techniques {

Info const table[] = {
    {"PARALLAX", "Parallax"},
    {"OFFSET_LIMITING_EYE", "Offset Limit Eye"},
    {"ITERATIVE", "Iterative"},
    {"ITERATIVE_LERP", "Iterative LERP"},
    {"SHADOW_TRACE", "Shadow Trace"},
    {"OFFSET_LIMITING_LIGHT", "Offset Limit Light"},
    {"BINARY_REFINE", "Binary Refine"},
    {"ADAPTIVE_STEPS", "Adaptive Steps"},
    {"EARLY_EXIT", "Early Exit"},
    {"RELAXED_CONE", "Relaxed Cone"},
    {"MAX_PYRAMID", "Max Pyramid"},
    {"WRITE_DEPTH", "Write Depth"},
    {"CURVED_SILHOUETTE", "Curved Silhouette"},
};
int const count = static_cast<int>(sizeof table / sizeof table[0]);

namespace {

std::string squash(std::string const& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '_' && c != '"') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

int find(std::string const& name) {
  std::string const wanted = squash(name);
  if (wanted.empty()) return -1;
  for (int i = 0; i < count; ++i)
    if (wanted == squash(table[i].macro) || wanted == squash(table[i].label)) return i;
  return -1;
}

std::string name(unsigned set) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (!(set & (1u << i))) continue;
    if (!out.empty()) out += '+';
    out += table[i].macro;
  }
  return out.empty() ? "none" : out;
}

bool parse(std::string const& text, unsigned& set, std::string& error) {
  if (squash(text) == "none") {
    set = 0;
    return true;
  }
  unsigned result = 0;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, '+')) {
    int const i = find(part);
    if (i < 0) {
      error = "unknown technique \"" + part + "\" in \"" + text + "\"";
      return false;
    }
    result |= 1u << i;
  }
  if (result == 0) {
    error = "no technique in \"" + text + "\"";
    return false;
  }
  set = result;
  return true;
}

unsigned withPartners(unsigned set) {
  if (set & (IterativeLerp | BinaryRefine | AdaptiveSteps | EarlyExit | CurvedSilhouette)) set |= Iterative;
  if (set & OffsetLimitLight) set |= ShadowTrace;
  return set;
}

EyeSearch eyeSearch(unsigned set) {
  set = withPartners(set);
  if (set & MaxPyramid) return EyeSearch::Pyramid;
  if (set & RelaxedCone) return EyeSearch::Cone;
  if (set & Iterative) return EyeSearch::Linear;
  if (set & (Parallax | OffsetLimitEye)) return EyeSearch::Offset;
  return EyeSearch::None;
}

char const* searchMacro(EyeSearch search) {
  switch (search) {
    case EyeSearch::Offset:
      return "SEARCH_OFFSET";
    case EyeSearch::Linear:
      return "SEARCH_LINEAR";
    case EyeSearch::Cone:
      return "SEARCH_CONE";
    case EyeSearch::Pyramid:
      return "SEARCH_PYRAMID";
    case EyeSearch::None:
      break;
  }
  return "SEARCH_NONE";
}

std::string buildLines(unsigned set) {
  if (set == 0) return std::string();
  std::string s;
  unsigned const partners = withPartners(set) & ~set;
  for (int i = 0; i < count; ++i)
    if (partners & (1u << i)) s += std::string("#define ") + table[i].macro + "\n";
  return s + "#define EYE_SEARCH\t" + searchMacro(eyeSearch(set)) + "\n";
}

bool usesSteps(unsigned set) {
  EyeSearch const search = eyeSearch(set);
  return search == EyeSearch::Linear || search == EyeSearch::Cone || search == EyeSearch::Pyramid ||
         (withPartners(set) & ShadowTrace) != 0;
}

bool usesRefineSteps(unsigned set) { return (set & (BinaryRefine | RelaxedCone)) != 0; }

std::string macroString(unsigned set, int steps, int refineSteps) {
  std::string s;
  for (int i = 0; i < count; ++i)
    if (set & (1u << i)) s += std::string("#define ") + table[i].macro + "\n";
  s += "#define ITERATIVE_STEPS\t" + std::to_string(steps) + ".0\n";
  if (usesRefineSteps(set)) s += "#define REFINE_STEPS\t" + std::to_string(refineSteps) + ".0\n";
  return s;
}

char const* const stepsAsUniformsMacro = "STEPS_AS_UNIFORMS";

void stepCounts(std::string const& macros, float& steps, float& refineSteps) {
  steps = static_cast<float>(ReliefSettings::defaultSteps);
  refineSteps = static_cast<float>(ReliefSettings::defaultRefineSteps);
  size_t pos = 0;
  while (pos < macros.size()) {
    size_t end = macros.find('\n', pos);
    if (end == std::string::npos) end = macros.size();
    std::istringstream line(macros.substr(pos, end - pos));
    std::string directive, name;
    float value = 0.0f;
    if (line >> directive >> name >> value && directive == "#define") {
      if (name == "ITERATIVE_STEPS") steps = value;
      if (name == "REFINE_STEPS") refineSteps = value;
    }
    pos = end + 1;
  }
}

std::vector<unsigned> profileSets() {
  std::vector<unsigned> sets{0};
  for (int i = 0; i < 6; ++i) sets.push_back(1u << i);
  sets.push_back(Iterative | IterativeLerp);
  sets.push_back(Iterative | IterativeLerp | ShadowTrace);
  sets.push_back(allSix);
  for (unsigned later : {BinaryRefine, AdaptiveSteps, EarlyExit}) sets.push_back(Iterative | later);
  sets.push_back(RelaxedCone);
  sets.push_back(MaxPyramid);
  sets.push_back(Iterative | IterativeLerp | CurvedSilhouette);
  sets.push_back(MaxPyramid | CurvedSilhouette);
  return sets;
}

std::vector<unsigned> sweepSets() {
  return {Parallax,
          Iterative,
          Iterative | IterativeLerp,
          allSix,
          Iterative | BinaryRefine,
          Iterative | IterativeLerp | BinaryRefine,
          Iterative | AdaptiveSteps,
          Iterative | EarlyExit,
          Iterative | AdaptiveSteps | EarlyExit | BinaryRefine,
          RelaxedCone,
          MaxPyramid,
          Iterative | IterativeLerp | CurvedSilhouette,
          MaxPyramid | CurvedSilhouette};
}

std::vector<unsigned> contactSheetSets() {
  std::vector<unsigned> sets{0};
  for (int i = 0; i < 6; ++i) sets.push_back(1u << i);
  sets.push_back(Iterative | IterativeLerp);
  sets.push_back(allSix);
  // The later searches, each with the technique it brings along.
  sets.push_back(Iterative | BinaryRefine);
  sets.push_back(RelaxedCone);
  sets.push_back(MaxPyramid);
  // The silhouettes of the curved layer, with the march and with the pyramid.
  sets.push_back(Iterative | IterativeLerp | CurvedSilhouette);
  sets.push_back(MaxPyramid | CurvedSilhouette);
  return sets;
}

}  // namespace Techniques
