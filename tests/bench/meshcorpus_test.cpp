// The asset importer's own test models (Debian's assimp-testmodels): broken
// glTF files, empty files and one model of each format either load, fitted
// to the sphere's size, or are refused with one line. Run under the sanitizer
// build, this keeps the mesh path clean on files made to break importers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "MeshFile.h"
#include "Model3D.h"

namespace {

// Where the package puts the models, or "" when it is not installed.
std::string modelsDir() {
  for (char const* dir : {"/usr/share/assimp/models", "/usr/share/assimp-testmodels"}) {
    struct stat st;
    if (::stat((std::string(dir) + "/invalid").c_str(), &st) == 0) return dir;
  }
  return "";
}

// The sample, and whether each loads. invalid/OutOfMemory.off is left out: it
// takes minutes before the importer gives up.
struct Sample {
  char const* file;
  bool loads;
} const samples[] = {
    {"glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf", false}, {"glTF2/IndexOutOfRange/IndexOutOfRange.gltf", false},
    {"glTF2/MissingBin/BoxTextured.gltf", false},              {"glTF2/RecursiveNodes/RecursiveNodes.gltf", false},
    {"glTF2/SchemaFailures/sceneWrongType.gltf", false},       {"glTF2/TestNoRootNode/NoScene.gltf", false},
    {"glTF2/TestNoRootNode/SceneWithoutNodes.gltf", false},    {"glTF2/issue_3269/texcoord_crash.gltf", false},
    {"glTF2/wrongTypes/badArray.gltf", false},                 {"glTF2/wrongTypes/badExtension.gltf", false},
    {"glTF2/wrongTypes/badNumber.gltf", false},                {"glTF2/wrongTypes/badObject.gltf", false},
    {"glTF2/wrongTypes/badString.gltf", false},                {"glTF2/wrongTypes/badUint.gltf", false},
    {"glTF2/IncorrectVertexArrays/Cube.gltf", false},          {"glTF/IncorrectVertexArrays/Cube_v1.gltf", false},
    {"invalid/empty.3ds", false},      {"invalid/empty.ase", false},         {"invalid/empty.lwo", false},
    {"invalid/empty.md5mesh", false},  {"invalid/empty.obj", false},         {"invalid/empty.off", false},
    {"invalid/empty.ply", false},      {"invalid/empty.raw", false},         {"invalid/empty.smd", false},
    {"invalid/empty.x", false},        {"invalid/emptyIrrMesh.xml", false},  {"invalid/malformed.obj", false},
    {"invalid/malformed2.obj", false},
    {"3D/box.uc", true},                       {"3DS/CameraRollAnim.3ds", true},
    {"AC/SphereWithLight.ac", true},           {"ASE/CameraRollAnim.ase", true},
    {"B3D/WusonBlitz.b3d", true},              {"BLEND/BlenderDefault_250.blend", true},
    {"COB/dwarf.cob", true},                   {"Collada/Cinema4D.dae", true},
    {"FBX/animation_with_skeleton.fbx", true}, {"IQM/mrfixit.iqm", true},
    {"LWO/LWO2/MappingModes/earth_uv_cylindrical_y.lwo", true}, {"MD2/faerie.md2", true},
    {"MD5/SimpleCube.md5mesh", true},          {"MDC/spider.mdc", true},
    {"MDL/MDL (HL1)/alpha_test.mdl", true},    {"MS3D/Wuson.ms3d", true},
    {"OBJ/WusonOBJ.obj", true},                {"Ogre/TheThing/Mesh.mesh.xml", true},
    {"OpenGEX/Example.ogex", true},            {"PLY/Wuson.ply", true},
    {"SIB/heffalump.sib", true},               {"SMD/WusonSMD.smd", true},
    {"X/BCN_Epileptic.X", true},               {"XGL/BCN_Epileptic.zgl", true},
    {"glTF/BoxTextured-glTF-Embedded/BoxTextured.gltf", true}, {"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", true},
    {"3MF/box.3mf", false},            {"AMF/test8.amf", false},            {"BVH/01_01.bvh", false},
    {"CSM/ThomasFechten.csm", false},  {"DXF/PinkEggFromLW.dxf", false},    {"HMP/terrain.hmp", false},
    {"IFC/AC14-FZK-Haus.ifc", false},  {"IRR/instancing.irr", false},       {"IRRMesh/cellar.irrmesh", false},
    {"JT/conrod.jt", false},           {"LWO/LWOB/ConcavePolygon.lwo", false}, {"LWS/move_x.lws", false},
    {"M3D/WusonBlitz0.m3d", false},    {"NFF/NFF/cylinder.nff", false},     {"OFF/Cube.off", false},
    {"OpenGEX/animation_example.ogex", false}, {"Q3D/E-AT-AT.q3o", false}, {"RAW/WithColor.raw", false},
    {"STL/3DSMaxExport.STL", false},   {"TER/RealisticTerrain.ter", false}, {"WRL/MotionCaptureROM.WRL", false},
    {"X3D/ComputerKeyboard.x3d", false},
};

}  // namespace

TEST(MeshCorpus, TheImportersTestModelsLoadOrAreRefusedWithOneLine) {
  std::string const dir = modelsDir();
  if (dir.empty())
    GTEST_SKIP() << "the importer's test models are not installed (Debian package assimp-testmodels, which "
                    "scripts/install-deps installs): nothing to check";
  for (Sample const& s : samples) {
    std::string const path = dir + "/" + s.file;
    Model3D m;
    std::string error;
    bool const loaded = MeshFile::load(path, m, error);
    EXPECT_EQ(loaded, s.loads) << s.file << ": " << error;
    if (!loaded) {
      EXPECT_TRUE(!error.empty() && error.find('\n') == std::string::npos) << s.file << ": " << error;
      continue;
    }
    std::vector<int> const& indices = m.getIndices();
    EXPECT_TRUE(!indices.empty() && indices.size() % 3 == 0) << s.file;
    double farthest = 0;
    for (Model3D::Vertex const& v : m.getVertices()) farthest = std::max(farthest, v.position.len());
    EXPECT_NEAR(farthest, MeshFile::fitRadius, 1e-3) << s.file;
  }
}
