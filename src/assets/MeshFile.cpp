// MeshFile: the asset importer's scene turned into one welded, fitted Model3D.
#include "MeshFile.h"

#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>
#include <cmath>
#include <cstdio>
#include <vector>

#include "MeshCounts.h"
#include "Model3D.h"
#include "base/regularfile.h"

namespace MeshFile {

namespace {

typedef _vec<3, float> vec3;

// Passes the importer's progress on as lines, the first once a second has
// passed, then at most one per second.
class ProgressLines : public Assimp::ProgressHandler {
public:
  ProgressLines(std::string const& name, Progress const& tell) : name(name), tell(tell) {}
  bool Update(float fraction) override {
    report(fraction < 0.0f ? std::string("reading") : std::to_string(static_cast<int>(fraction * 100.0f)) + "%");
    return true;
  }
  // Tells `what` if a second has passed since the start and since the last line.
  void report(std::string const& what) {
    if (!tell) return;
    Clock::time_point const now = Clock::now();
    if (now - start < std::chrono::seconds(1) || now - last < std::chrono::seconds(1)) return;
    last = now;
    tell("loading " + name + ": " + what);
  }

private:
  typedef std::chrono::steady_clock Clock;
  std::string name;
  Progress tell;
  Clock::time_point start = Clock::now(), last = Clock::time_point();
};

vec3 toVec(aiVector3D const& v) { return vec3(v.x, v.y, v.z); }

bool finite(vec3 const& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Triangles a face of `n` corners becomes.
unsigned long trianglesOf(unsigned n) { return n >= 3 ? n - 2 : 0; }

// What a load left out beside the `drawn` triangles, and why; "" for nothing.
std::string leftOut(unsigned long drawn, unsigned long unmapped, unsigned long unplaced) {
  if (unmapped == 0 && unplaced == 0) return "";
  std::string why;
  if (unmapped) why = std::to_string(unmapped) + " in meshes without texture coordinates, which the relief needs";
  if (unplaced)
    why += (why.empty() ? "" : ", ") + std::to_string(unplaced) + " with a corner at no finite place or no vertex";
  return std::to_string(unmapped + unplaced) + " of the file's " + std::to_string(drawn + unmapped + unplaced) +
         " triangles left out: " + why;
}

}  // namespace

bool load(std::string const& path, Model3D& out, std::string& error, Progress const& progress, std::string* note) {
  // The file must be a regular, non-empty file before the importer sees it,
  // and not one whose own counts refuse it.
  std::string openError;
  FILE* f = openRegularFile(path.c_str(), openError);
  if (!f) {
    error = openError;
    return false;
  }
  long const bytes = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
  Assimp::Importer importer;
  ProgressLines* lines = new ProgressLines(path, progress);
  importer.SetProgressHandler(lines);  // the importer owns it from here on
  std::string countError;
  auto const counting = [lines](double share) {
    lines->report("counting the triangles, " + std::to_string(static_cast<int>(share * 100.0)) + "%");
  };
  bool const counted = bytes <= 0 || MeshCounts::check(path, f, bytes, maxTriangles, countError, counting);
  std::fclose(f);
  if (bytes <= 0) {
    error = path + ": the file is empty";
    return false;
  }
  if (!counted) {
    error = countError;
    return false;
  }

  // Points and lines are dropped while reading; nothing else is changed yet.
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  aiScene const* scene = importer.ReadFile(path, 0);
  if (!scene) {
    std::string why = importer.GetErrorString();
    while (!why.empty() && (why.back() == '.' || why.back() == '\n')) why.pop_back();
    error = path + ": not a mesh the importer can read (" + why + ")";
    return false;
  }
  if (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) {
    error = path + ": the file holds no complete scene";
    return false;
  }

  // Counted before anything is built, so that an oversized file costs no more.
  unsigned long triangles = 0;
  bool anyUv = false, anyFaces = false;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    aiMesh const* mesh = scene->mMeshes[m];
    unsigned long meshTriangles = 0;
    for (unsigned i = 0; i < mesh->mNumFaces; ++i) meshTriangles += trianglesOf(mesh->mFaces[i].mNumIndices);
    if (meshTriangles == 0) continue;
    anyFaces = true;
    if (mesh->HasTextureCoords(0)) {
      anyUv = true;
      triangles += meshTriangles;
    }
  }
  if (!anyFaces) {
    error = path + ": the file has no triangles";
    return false;
  }
  if (!anyUv) {
    error = path + ": the mesh has no texture coordinates, which the relief needs";
    return false;
  }
  if (triangles > maxTriangles) {
    error = path + ": " + std::to_string(triangles) + " triangles, more than the " + std::to_string(maxTriangles) +
            " the bench draws";
    return false;
  }

  // Triangles only, the node transforms applied; normals where the file has none.
  lines->report("preparing the triangles");
  scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_PreTransformVertices |
                                       aiProcess_GenSmoothNormals);
  if (!scene) {
    error = path + ": the mesh cannot be prepared (" + importer.GetErrorString() + ")";
    return false;
  }

  // Every mesh with texture coordinates into one; the file's tangents are
  // used only when every such mesh has them, else all frames are computed.
  bool fileFrames = true;
  size_t vertexCount = 0;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    aiMesh const* mesh = scene->mMeshes[m];
    if (!mesh->HasTextureCoords(0) || !mesh->HasFaces()) continue;
    fileFrames = fileFrames && mesh->HasTangentsAndBitangents() && mesh->HasNormals();
    vertexCount += mesh->mNumVertices;
  }
  if (vertexCount > static_cast<size_t>(INT_MAX)) {
    error = path + ": too many vertices";
    return false;
  }
  // The bounding box's centre and the farthest vertex from it fit the mesh
  // into the sphere's place.
  auto used = [](aiMesh const* m) { return m->HasTextureCoords(0) && m->HasFaces(); };
  vec3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    if (!used(scene->mMeshes[m])) continue;
    for (unsigned i = 0; i < scene->mMeshes[m]->mNumVertices; ++i) {
      vec3 const p = toVec(scene->mMeshes[m]->mVertices[i]);
      if (!finite(p)) continue;
      lo = vec3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
      hi = vec3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
  }
  if (!(hi.x >= lo.x)) {
    error = path + ": the file has no usable vertices";
    return false;
  }
  vec3 const centre = (lo + hi) * 0.5f;
  double farthest = 0;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    if (!used(scene->mMeshes[m])) continue;
    for (unsigned i = 0; i < scene->mMeshes[m]->mNumVertices; ++i) {
      vec3 const p = toVec(scene->mMeshes[m]->mVertices[i]);
      if (finite(p)) farthest = std::max(farthest, (p - centre).len());
    }
  }
  float const scale = farthest > 0 && std::isfinite(farthest) ? static_cast<float>(fitRadius / farthest) : 1.0f;

  Model3D mesh;
  unsigned long unmapped = 0, unplaced = 0;  // the triangles left out, and why
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    aiMesh const* in = scene->mMeshes[m];
    if (!used(in)) {
      for (unsigned i = 0; i < in->mNumFaces; ++i) unmapped += in->mFaces[i].mNumIndices == 3;
      continue;
    }
    int const first = static_cast<int>(mesh.getVertices().size());
    for (unsigned i = 0; i < in->mNumVertices; ++i) {
      // A vertex at no finite place joins no triangle; it sits at the centre.
      vec3 const raw = toVec(in->mVertices[i]);
      vec3 const p = finite(raw) ? (raw - centre) * scale : vec3();
      _vec<2, float> const uv(in->mTextureCoords[0][i].x, in->mTextureCoords[0][i].y);
      if (fileFrames) {
        vec3 const n = toVec(in->mNormals[i]), t = toVec(in->mTangents[i]), b = toVec(in->mBitangents[i]);
        mesh.addVtx(p, uv, n, t, dot(cross(n, t), b) < 0.0f ? -1.0f : 1.0f);
      } else {
        mesh.addVtx(p.x, p.y, p.z, uv.x, uv.y);
      }
    }
    for (unsigned i = 0; i < in->mNumFaces; ++i) {
      aiFace const& face = in->mFaces[i];
      bool ok = face.mNumIndices == 3;
      for (unsigned k = 0; ok && k < 3; ++k)
        ok = face.mIndices[k] < in->mNumVertices && finite(toVec(in->mVertices[face.mIndices[k]]));
      if (ok)
        mesh.addTri(first + static_cast<int>(face.mIndices[0]), first + static_cast<int>(face.mIndices[1]),
                    first + static_cast<int>(face.mIndices[2]));
      else
        unplaced += face.mNumIndices == 3;
    }
  }
  if (mesh.getIndices().empty()) {
    error = path + ": the file has no usable triangles";
    return false;
  }
  // Meshes placed by several nodes are repeated by now.
  if (mesh.getIndices().size() / 3 > maxTriangles) {
    error = path + ": " + std::to_string(mesh.getIndices().size() / 3) + " triangles as placed, more than the " +
            std::to_string(maxTriangles) + " the bench draws";
    return false;
  }

  if (fileFrames) {
    mesh.computeTexelScales();
    mesh.computeCurvatures();
  } else {
    lines->report("computing the tangent frames");
    mesh.computeBasii();
  }
  if (note) *note = leftOut(mesh.getIndices().size() / 3, unmapped, unplaced);
  out = std::move(mesh);
  return true;
}

}  // namespace MeshFile
