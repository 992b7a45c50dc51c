// The scene command: the mesh drawn and measured (the sphere, the plane, or a
// mesh file read in the background while the window draws the last mesh) and
// the crossing plane. A line that is refused changes neither.
#include <memory>
#include <string>

#include "ConsoleArgs.h"
#include "JobRunner.h"
#include "LoadOptions.h"
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
  MeshLoadJob(ReliefScene& scene, std::string path, PlaneWord plane, bool flipV)
      : scene(scene), path(std::move(path)), plane(plane), flipV(flipV) {}

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
        scene.useMesh(loader.take(), path, flipV);
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
  bool flipV;  // v turned to 1 - v once the mesh is there
  MeshLoader loader;
};

// "scene" alone says what is shown; "scene [-flipv] sphere|plane|FILE"
// switches the mesh (-flipv turns v, for a file whose v runs up the picture);
// a last word "+plane" or "-plane" shows or hides the crossing plane, alone or
// after the mesh's name. A refused option word changes nothing.
void CFunc_scene(int argc, char** argv) {
  ReliefScene& scene = shaderTestModule.reliefScene();
  int end = argc;
  PlaneWord plane = PlaneWord::Keep;
  std::string const last = argc > 1 ? unquote(argv[argc - 1]) : std::string();
  if (last == "+plane" || last == "-plane") {
    plane = last == "+plane" ? PlaneWord::Show : PlaneWord::Hide;
    --end;
  }
  LoadOptions options;
  if (end > 1) {
    std::string error;
    if (!parseLoadOptions("scene", tokens(argv, 1, end), {"-flipv"}, options, error)) {
      con << error << "\n";
      return;
    }
  }
  std::string const& name = options.file;
  bool const flipV = options.has("-flipv");
  if (name.empty() || name == "sphere" || name == "plane") {
    if (name == "sphere") scene.useSphere();
    if (name == "plane") scene.usePlane();
    if (flipV) scene.flipMeshV();
    applyPlane(scene, plane);
    sayShown(scene);
    return;
  }
  shaderTestModule.jobs().start(std::unique_ptr<BenchJob>(new MeshLoadJob(scene, name, plane, flipV)));
}

CVar sceneCmd("scene", CFunc_scene);

}  // namespace
