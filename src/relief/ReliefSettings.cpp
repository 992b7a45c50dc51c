// ReliefSettings: the checks of typed step counts, depths and scales, and their messages.
#include "ReliefSettings.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// The leading integer of `text` as atoi reads it, without its undefined
// overflow: a value beyond a long's range comes back as LONG_MIN or LONG_MAX.
// False when the text has no digits where the number would start.
bool leadingInteger(std::string const& text, long& out) {
  char const* s = text.c_str();
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  char const* digits = s + (*s == '+' || *s == '-');
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
  out = std::strtol(s, nullptr, 10);
  return true;
}

// The whole text as one finite number, blanks around it allowed (a tiny value
// that underflows counts as the zero or denormal it becomes).
bool wholeNumber(std::string const& text, double& out) {
  char const* s = text.c_str();
  char* end = nullptr;
  errno = 0;
  double const v = std::strtod(s, &end);
  if (end == s || (errno == ERANGE && std::fabs(v) > 1.0) || !std::isfinite(v)) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end) return false;
  out = v;
  return true;
}

bool takeCount(char const* name, std::string const& text, int current, int low, int high, int& out,
               std::string& message) {
  long n = 0;
  if (!leadingInteger(text, n)) {
    message = std::string(name) + ": \"" + text + "\" is not a whole number; keeping " + std::to_string(current);
    return false;
  }
  if (n < low) {
    message = std::string(name) + ": " + std::to_string(n) + " is less than " + std::to_string(low) + "; keeping " +
              std::to_string(current);
    return false;
  }
  message.clear();
  out = n > high ? high : static_cast<int>(n);
  if (n > high)
    message = std::string(name) + ": " + text + " is more than " + std::to_string(high) + "; using " +
              std::to_string(high);
  return true;
}

bool takeAmount(char const* name, std::string const& text, float current, double high, float& out,
                std::string& message) {
  double v = 0;
  if (!wholeNumber(text, v)) {
    message = std::string(name) + ": \"" + text + "\" is not a number; keeping " + ReliefSettings::format(current);
    return false;
  }
  if (v < 0 || v > high) {
    message = std::string(name) + ": " + text + " is outside 0 to " + ReliefSettings::format(high) + "; keeping " +
              ReliefSettings::format(current);
    return false;
  }
  message.clear();
  out = static_cast<float>(v);
  return true;
}

}  // namespace

bool ReliefSettings::takeSteps(std::string const& text, int current, int& out, std::string& message) {
  return takeCount("Iteration Steps", text, current, minSteps, maxSteps, out, message);
}

bool ReliefSettings::takeRefineSteps(std::string const& text, int current, int& out, std::string& message) {
  return takeCount("Refine Steps", text, current, 0, maxRefineSteps, out, message);
}

bool ReliefSettings::takePolyDepth(std::string const& text, float current, float& out, std::string& message) {
  return takeAmount("Poly Depth", text, current, maxPolyDepth, out, message);
}

bool ReliefSettings::takeBumpScale(std::string const& text, float current, float& out, std::string& message) {
  return takeAmount("Bumpmap Scale", text, current, maxBumpScale, out, message);
}

std::string ReliefSettings::format(double value) {
  std::ostringstream os;
  os << value;
  return os.str();
}
