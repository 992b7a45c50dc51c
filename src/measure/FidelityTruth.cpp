// FidelityTruth: the truths' names.
#include "FidelityTruth.h"

std::string FidelityTruths::name(FidelityTruth truth) { return truth == FidelityTruth::Displaced ? "displaced" : "plane"; }

std::string FidelityTruths::describe(FidelityTruth truth) {
  return truth == FidelityTruth::Displaced ? "the displaced surface" : "the tangent-plane reference";
}

bool FidelityTruths::parse(std::string const& word, FidelityTruth& out) {
  if (word == "plane") {
    out = FidelityTruth::Plane;
    return true;
  }
  if (word == "displaced") {
    out = FidelityTruth::Displaced;
    return true;
  }
  return false;
}
