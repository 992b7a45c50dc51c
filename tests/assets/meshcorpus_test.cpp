// The asset importer's own test models (Debian's assimp-testmodels), broken and hostile files among them, load fitted
// to the sphere's size or are refused with one line; the sanitizer build runs them too.
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

// The sample: files that load, then files refused.
char const* const loading[] = {
    "3D/box.uc", "3DS/CameraRollAnim.3ds", "AC/SphereWithLight.ac", "ASE/CameraRollAnim.ase", "B3D/WusonBlitz.b3d",
    "BLEND/BlenderDefault_250.blend", "COB/dwarf.cob", "Collada/Cinema4D.dae", "FBX/animation_with_skeleton.fbx",
    "IQM/mrfixit.iqm", "LWO/LWO2/MappingModes/earth_uv_cylindrical_y.lwo", "MD2/faerie.md2", "MD5/SimpleCube.md5mesh",
    "MDC/spider.mdc", "MDL/MDL (HL1)/alpha_test.mdl", "MS3D/Wuson.ms3d", "OBJ/WusonOBJ.obj", "Ogre/TheThing/Mesh.mesh.xml",
    "OpenGEX/Example.ogex", "PLY/Wuson.ply", "SIB/heffalump.sib", "SMD/WusonSMD.smd", "X/BCN_Epileptic.X",
    "XGL/BCN_Epileptic.zgl", "glTF/BoxTextured-glTF-Embedded/BoxTextured.gltf", "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"};
char const* const refused[] = {
    "glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf", "glTF2/IndexOutOfRange/IndexOutOfRange.gltf",
    "glTF2/MissingBin/BoxTextured.gltf", "glTF2/RecursiveNodes/RecursiveNodes.gltf", "glTF2/SchemaFailures/sceneWrongType.gltf",
    "glTF2/TestNoRootNode/NoScene.gltf", "glTF2/TestNoRootNode/SceneWithoutNodes.gltf", "glTF2/issue_3269/texcoord_crash.gltf",
    "glTF2/wrongTypes/badArray.gltf", "glTF2/wrongTypes/badExtension.gltf", "glTF2/wrongTypes/badNumber.gltf",
    "glTF2/wrongTypes/badObject.gltf", "glTF2/wrongTypes/badString.gltf", "glTF2/wrongTypes/badUint.gltf",
    "glTF2/IncorrectVertexArrays/Cube.gltf", "glTF/IncorrectVertexArrays/Cube_v1.gltf", "invalid/emptyIrrMesh.xml",
    "invalid/malformed.obj", "invalid/malformed2.obj", "invalid/OutOfMemory.off", "3MF/box.3mf", "AMF/test8.amf", "BVH/01_01.bvh",
    "CSM/ThomasFechten.csm", "DXF/PinkEggFromLW.dxf", "HMP/terrain.hmp", "IFC/AC14-FZK-Haus.ifc", "IRR/instancing.irr",
    "IRRMesh/cellar.irrmesh", "JT/conrod.jt", "LWO/LWOB/ConcavePolygon.lwo", "LWS/move_x.lws", "M3D/WusonBlitz0.m3d",
    "NFF/NFF/cylinder.nff", "OFF/Cube.off", "OpenGEX/animation_example.ogex", "Q3D/E-AT-AT.q3o", "RAW/WithColor.raw",
    "STL/3DSMaxExport.STL", "TER/RealisticTerrain.ter", "WRL/MotionCaptureROM.WRL", "X3D/ComputerKeyboard.x3d"};

}  // namespace

TEST(MeshCorpus, TheImportersTestModelsLoadOrAreRefusedWithOneLine) {
  std::string const dir = modelsDir();
  if (dir.empty())
    GTEST_SKIP() << "the importer's test models are not installed (Debian package assimp-testmodels, which "
                    "scripts/install-deps installs): nothing to check";
  auto check = [&](char const* file, bool loads) {
    Model3D m;
    std::string error;
    bool const loaded = MeshFile::load(dir + "/" + file, m, error);
    EXPECT_EQ(loaded, loads) << file << ": " << error;
    if (!loaded) {
      EXPECT_TRUE(!error.empty() && error.find('\n') == std::string::npos) << file << ": " << error;
      return;
    }
    EXPECT_TRUE(!m.getIndices().empty() && m.getIndices().size() % 3 == 0) << file;
    double farthest = 0;
    for (Model3D::Vertex const& v : m.getVertices()) farthest = std::max(farthest, double(v.position.len()));
    EXPECT_NEAR(farthest, MeshFile::fitRadius, 1e-3) << file;
  };
  for (char const* f : loading) check(f, true);
  for (char const* f : refused) check(f, false);
}
