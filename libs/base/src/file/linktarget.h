// writeTarget: the file that writing to a name replaces, symbolic links followed.
#pragma once

#include <string>

// The file a writer replaces when it writes to `name`: `name` itself, or for a
// symbolic link the file the link finally leads to (the link is kept). False
// for a link that leads to no file, with `error` naming the link and where it
// points: "out.csv: is a symbolic link to /nonexistent/x.csv, which does not
// exist" (or the system's reason, for a loop of links and the like).
bool writeTarget(std::string const& name, std::string& target, std::string& error);
