// ShaderLog: tidying a driver's compile and link logs for the user: one
// message a line, and preprocessor line numbers brought in step with the
// compiler's.
#pragma once

#include <string>

namespace ShaderLog {

// Starts a new line wherever a message ("error: ...", "warning: ...") follows
// the previous one directly: some linkers append messages without a line end
// ("...uncompiled shadererror: linking..."). Ends a non-empty log with one.
std::string oneMessageALine(std::string const& log);

// Adds `by` to the line number of each preprocessor message of the form
// "S:L(C): preprocessor error: ..." (and "... warning"); other lines are kept.
std::string shiftPreprocessorLines(std::string const& log, int by);

}  // namespace ShaderLog
