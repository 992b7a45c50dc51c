// The relief techniques: their macro names and panel labels in panel order,
// technique sets (bit masks) written and read as "A+B" or "none", and the macro
// string that compiles a set into the fragment shader.
#pragma once

#include <string>
#include <vector>

#include "ReliefSettings.h"

namespace Techniques {

struct Info {
  char const* macro;  // the "#define" name the fragment shader tests
  char const* label;  // the panel's checkbox label
};

// In panel order; a set's bit i is technique i.
extern Info const table[];
extern int const count;

// Bits of the techniques, in table order: the six original ones, the later
// refinements of the eye ray's search, the depth written from the point found
// (which changes no search and goes with any set), then the curved layer's
// silhouettes (which bend the march's and the pyramid's ray and bring
// ITERATIVE along).
enum : unsigned {
  Parallax = 1u << 0, OffsetLimitEye = 1u << 1, Iterative = 1u << 2, IterativeLerp = 1u << 3,
  ShadowTrace = 1u << 4, OffsetLimitLight = 1u << 5,
  BinaryRefine = 1u << 6, AdaptiveSteps = 1u << 7, EarlyExit = 1u << 8, RelaxedCone = 1u << 9,
  MaxPyramid = 1u << 10,
  WriteDepth = 1u << 11,
  CurvedSilhouette = 1u << 12,
};

// The six original techniques together.
unsigned const allSix = Parallax | OffsetLimitEye | Iterative | IterativeLerp | ShadowTrace | OffsetLimitLight;

// Index of the technique with this macro name or label (case, spaces,
// underscores and quotes ignored), or -1.
int find(std::string const& name);

// "none" for the empty set, else the macro names of the set's techniques in
// panel order joined by '+'.
std::string name(unsigned set);

// Reads a set written as name() writes it; each part may be a macro name or a
// label. False, with the reason in `error`, on an unknown part.
bool parse(std::string const& text, unsigned& set, std::string& error);

// The techniques a set's techniques bring along in the shader (ITERATIVE for
// its refinements and CURVED_SILHOUETTE, SHADOW_TRACE for
// OFFSET_LIMITING_LIGHT), added to the set.
unsigned withPartners(unsigned set);

// The eye-ray search a set's program runs: the first of MAX_PYRAMID,
// RELAXED_CONE, ITERATIVE (with its refinements, which bring it along) and the
// single offset (PARALLAX, OFFSET_LIMITING_EYE) in the set, or none.
enum class EyeSearch { None, Offset, Linear, Cone, Pyramid };
EyeSearch eyeSearch(unsigned set);
// The fragment shader's name for it ("SEARCH_PYRAMID").
char const* searchMacro(EyeSearch search);

// The lines the bench appends after a set's macro string when it builds a
// program: a define for each partner the set's techniques bring along that
// the set lacks, then the search ("#define EYE_SEARCH\tSEARCH_LINEAR"). Empty
// for the empty set, whose program the shader's own rules decide alike.
std::string buildLines(unsigned set);

// Whether the set's program counts its steps (ITERATIVE_STEPS): an eye search
// that marches (ITERATIVE, RELAXED_CONE, MAX_PYRAMID) or the light's march of
// SHADOW_TRACE. The single offsets and the empty set take no step count.
bool usesSteps(unsigned set);

// Whether the set uses the bisection count (BINARY_REFINE, RELAXED_CONE).
// MAX_PYRAMID brings nothing along and bisects nothing: its last step solves
// the ray against one bilinear cell exactly.
bool usesRefineSteps(unsigned set);

// One "#define NAME" line per technique of the set, in panel order, then the
// step count as a float literal after a tab ("#define ITERATIVE_STEPS\t32.0"),
// and for a set that bisects, the bisection count ("#define REFINE_STEPS\t6.0").
std::string macroString(unsigned set, int steps, int refineSteps = ReliefSettings::defaultRefineSteps);

// The mode macro a program gets after the panel's string when its loops are
// to be bounded by uniforms (iterativeSteps, refineSteps) carrying the counts
// rather than by the literals.
extern char const* const stepsAsUniformsMacro;  // "STEPS_AS_UNIFORMS"
// The counts a macro string's "#define ITERATIVE_STEPS\t<n>" and "#define
// REFINE_STEPS\t<n>" lines give (the last of each), or the shader's own
// fallbacks, the settings' defaults, where it has none: the values the
// uniforms carry, so that both modes run the same counts.
void stepCounts(std::string const& macros, float& steps, float& refineSteps);

// The sets that profile and fidelity go through: none, each of the six alone,
// ITERATIVE+ITERATIVE_LERP, that with SHADOW_TRACE, all six, each later
// search technique with the technique it brings along, then
// ITERATIVE+ITERATIVE_LERP and MAX_PYRAMID with CURVED_SILHOUETTE.
std::vector<unsigned> profileSets();
// The sets a fidelity sweep goes through over its step counts.
std::vector<unsigned> sweepSets();
// The fourteen tiles of a contact sheet: none, each of the six alone,
// ITERATIVE+ITERATIVE_LERP, all six, then ITERATIVE+BINARY_REFINE,
// RELAXED_CONE, MAX_PYRAMID, and ITERATIVE+ITERATIVE_LERP and MAX_PYRAMID
// with CURVED_SILHOUETTE.
std::vector<unsigned> contactSheetSets();

}  // namespace Techniques
