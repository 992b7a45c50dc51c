// reportPicture: writing a job's picture and saying so.
#include "PictureReport.h"

#include "MeasureScene.h"
#include "base/console.h"

bool reportPicture(MeasureScene& scene, Picture const& picture, std::string const& path, char const* command) {
  std::string error;
  bool const ok = scene.writePicture(picture, path, error);
  if (ok)
    con << "wrote " << path << "\n";
  else
    con << command << ": " << error << "\n";
  return ok;
}
