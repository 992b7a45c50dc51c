// The scene command: the mesh drawn and measured (the sphere, the plane, or a
// mesh file read in the background while the window draws the last mesh) and
// the crossing plane. A line that is refused changes neither.
#include <memory>
#include <string>

#include "ConsoleArgs.h"
#include "JobRunner.h"
#include "MeshLoader.h"
#include "ReliefScene.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/cvar.h"

namespace {

// What a final "+plane" or "-plane" asks of the crossing plane.
enum class PlaneWord { Keep, Show, Hide };

void applyPlane(ReliefScene& scene, PlaneWord word) {
  if (word != PlaneWord::Keep) scene.showCrossingPlane(word == PlaneWord::Show);
}

// "scene: NAME, N triangles", the plane when it is shown, and what a mesh
// file's load left out.
void sayShown(ReliefScene const& scene, std::string const& leftOut = "") {
  con << "scene: " << scene.meshName() << ", " << scene.currentMesh().getIndices().size() / 3 << " triangles"
      << (scene.crossingPlaneShown() ? ", crossed by the plane x = -z" : "")
      << (leftOut.empty() ? "" : "; " + leftOut) << "\n";
}

// A mesh file read by a MeshLoader's child process. The window goes on
// drawing the last mesh, with the load's progress on the console; the lines
// after the command wait, as they do behind a measurement, until the mesh is
// there or refused; cancel stops the load at once, and so does the end of
// the program. The plane word takes effect with the mesh, or not at all.
class MeshLoadJob : public BenchJob {
public:
  MeshLoadJob(ReliefScene& scene, std::string path, PlaneWord plane)
      : scene(scene), path(std::move(path)), plane(plane) {}

  std::string name() const override { return "loading " + path; }

  void begin() override {
    std::string error;
    if (!loader.start(path, error)) refuse(error);
  }

  bool step() override {
    auto const say = [](std::string const& line) { con << line << "\n"; };
    switch (loader.poll(say)) {
      case MeshLoader::State::Loading:
        return true;
      case MeshLoader::State::Loaded:
        scene.useMesh(loader.take(), path);
        applyPlane(scene, plane);
        sayShown(scene, loader.note());
        return false;
      case MeshLoader::State::Failed:
        refuse(loader.error());
        return false;
      case MeshLoader::State::Idle:
        return false;
    }
    return false;
  }

  void cancel() override { loader.cancel(); }

private:
  void refuse(std::string const& why) {
    con << "scene: " << why << "; still showing " << scene.meshName() << "\n";
  }

  ReliefScene& scene;
  std::string path;
  PlaneWord plane;
  MeshLoader loader;
};

// "scene" alone says what is shown; "scene sphere|plane|FILE" switches the
// mesh; a last word "+plane" or "-plane" shows or hides the crossing plane,
// alone or after the mesh's name.
void CFunc_scene(int argc, char** argv) {
  ReliefScene& scene = shaderTestModule.reliefScene();
  int end = argc;
  PlaneWord plane = PlaneWord::Keep;
  std::string const last = argc > 1 ? unquote(argv[argc - 1]) : std::string();
  if (last == "+plane" || last == "-plane") {
    plane = last == "+plane" ? PlaneWord::Show : PlaneWord::Hide;
    --end;
  }
  std::string const name = end > 1 ? joined(argv, 1, end) : std::string();
  if (name.empty() || name == "sphere" || name == "plane") {
    if (name == "sphere") scene.useSphere();
    if (name == "plane") scene.usePlane();
    applyPlane(scene, plane);
    sayShown(scene);
    return;
  }
  shaderTestModule.jobs().start(std::unique_ptr<BenchJob>(new MeshLoadJob(scene, name, plane)));
}

CVar sceneCmd("scene", CFunc_scene);

}  // namespace
