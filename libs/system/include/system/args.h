// Adjustment of the argument list for programs started by a desktop launcher.
#pragma once

// Removes launcher arguments ("-psn" plus more characters) and moves the working
// directory to the folder that holds the application bundle. Returns false and
// changes nothing when there is no launcher argument.
bool osxAdjustArguments(int& argc, char**& argv);
