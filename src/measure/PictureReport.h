// reportPicture: a job's picture written through the scene, saying where on
// the console, or why not after the command's name.
#pragma once

#include <string>

class MeasureScene;
class Picture;

bool reportPicture(MeasureScene& scene, Picture const& picture, std::string const& path, char const* command);
