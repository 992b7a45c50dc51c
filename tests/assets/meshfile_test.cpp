// Mesh files through the importer: fitting, texture coordinates and tangents (computed or the file's), refusals with
// their reason, what a load leaves out, counts over the limit, and the child process that reads a file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "MeshCounts.h"
#include "MeshFile.h"
#include "MeshLoader.h"
#include "Model3D.h"

namespace {

typedef _vec<3, float> vec3;

std::string write(std::string const& name, std::string const& text) {
  std::string const path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

double degreesBetween(vec3 a, vec3 b) {
  double const c = dot(a, b) / (a.len() * b.len());
  return std::acos(std::max(-1.0, std::min(1.0, c))) * 180.0 / M_PI;
}

// The vertex of `m` at `p` (after fitting), or null.
Model3D::Vertex const* at(Model3D const& m, vec3 p) {
  for (Model3D::Vertex const& v : m.getVertices())
    if ((v.position - p).len() < 1e-4) return &v;
  return nullptr;
}

}  // namespace

TEST(MeshFile, AnObjIsFittedToTheSphereAndGetsTangentsAlongU) {
  // A 2 x 1 rectangle at x in [10, 12], y in [5, 6], mapped with u along -y and
  // v along +x: fitted, its centre is at the origin and its corners 4 away.
  std::string const path = write("rect.obj",
                                 "v 10 5 0\nv 12 5 0\nv 12 6 0\nv 10 6 0\n"
                                 "vt 1 0\nvt 1 2\nvt 0 2\nvt 0 0\n"
                                 "f 1/1 2/2 3/3 4/4\n");
  Model3D m;
  std::string error;
  ASSERT_TRUE(MeshFile::load(path, m, error)) << error;
  EXPECT_EQ(m.getIndices().size(), 6u);
  float const s = 4.0f / std::sqrt(1.25f);  // half-diagonal sqrt(1 + 0.25) -> 4
  struct { vec3 p; float uv[2]; } const corners[] = {
      {{-s, -0.5f * s, 0}, {1, 0}}, {{s, -0.5f * s, 0}, {1, 2}}, {{s, 0.5f * s, 0}, {0, 2}}, {{-s, 0.5f * s, 0}, {0, 0}}};
  for (auto const& c : corners) {
    Model3D::Vertex const* v = at(m, c.p);
    ASSERT_NE(v, nullptr) << c.p.x << " " << c.p.y;
    for (int a = 0; a < 2; ++a) EXPECT_NEAR(v->texCoord[a], c.uv[a], 1e-5) << a;
    EXPECT_LT(degreesBetween(v->basis.vec(0), vec3(0, -1, 0)), 1.0);
    EXPECT_LT(degreesBetween(v->basis.vec(2), vec3(0, 0, 1)), 1.0);
    // One texture unit: the fitted height along u, half the fitted width along v.
    for (int a = 0; a < 2; ++a) EXPECT_NEAR(v->texelScale[a], s, 1e-3) << a;
  }
}

TEST(MeshFile, AGltfsOwnTangentsAreKept) {
  // A right triangle in z = 0, u along +x, v along +y; the file's tangent
  // (0.8, 0.6, 0) and handedness -1 are kept rather than computing (1, 0, 0).
  float const data[] = {0, 0, 0, 1, 0, 0, 0, 1, 0,                                // positions
                        0, 0, 1, 0, 0, 1, 0, 0, 1,                                // normals
                        0.8f, 0.6f, 0, -1, 0.8f, 0.6f, 0, -1, 0.8f, 0.6f, 0, -1,  // tangents
                        0, 1, 1, 1, 0, 0};                                        // texture coordinates
  write("triangle.bin", std::string(reinterpret_cast<char const*>(data), sizeof data));
  std::string const gltf = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0,"NORMAL":1,"TANGENT":2,"TEXCOORD_0":3}}]}],
"buffers":[{"uri":"triangle.bin","byteLength":144}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":36},
{"buffer":0,"byteOffset":72,"byteLength":48},{"buffer":0,"byteOffset":120,"byteLength":24}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},
{"bufferView":1,"componentType":5126,"count":3,"type":"VEC3"},{"bufferView":2,"componentType":5126,"count":3,"type":"VEC4"},
{"bufferView":3,"componentType":5126,"count":3,"type":"VEC2"}]})";
  Model3D m;
  std::string error;
  ASSERT_TRUE(MeshFile::load(write("triangle.gltf", gltf), m, error)) << error;
  ASSERT_EQ(m.getIndices().size(), 3u);
  float const c = 4.0f / std::sqrt(2.0f);
  for (vec3 p : {vec3(-c, -c, 0), vec3(c, -c, 0), vec3(-c, c, 0)}) {
    Model3D::Vertex const* v = at(m, p);
    ASSERT_NE(v, nullptr) << p.x << " " << p.y;
    EXPECT_NEAR(v->texCoord.x, p.x > 0 ? 1 : 0, 1e-5);
    EXPECT_LT(degreesBetween(v->basis.vec(0), vec3(0.8f, 0.6f, 0)), 1.0);
    EXPECT_EQ(v->handedness, -1.0f);
  }
}

TEST(MeshFile, EmptyBrokenUnmappedAndMissingFilesAreRefusedWithTheirReason) {
  Model3D m;
  m.addVtx(1, 2, 3, 0, 0);
  struct { std::string path, reason; } const cases[] = {
      {write("empty.obj", ""), "the file is empty"},
      {write("broken.gltf", "{\"asset\": {\"version\": \"2.0\"}, \"meshes\": [{\"primitives\": ["), "not a mesh the importer can read"},
      {write("nouv.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"), "has no texture coordinates"},
      {write("points.obj", "v 0 0 0\nv 1 0 0\nvt 0 0\np 1 2\n"), "no triangles"},
      {testing::TempDir() + "no-such-mesh.obj", "No such file"},
  };
  for (auto const& c : cases) {
    std::string error;
    EXPECT_FALSE(MeshFile::load(c.path, m, error)) << c.path;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(error.find(c.path), 0u) << error;
    ASSERT_EQ(m.getVertices().size(), 1u) << "the mesh is left as it was";
  }
}

// A mesh without texture coordinates beside a mapped one is left out, and
// said to be; counts over the limit (small here) refuse a file unread.
TEST(MeshFile, WhatIsLeftOutIsSaidAndCountsOverTheLimitRefuseAFileUnread) {
  std::string const mixed = write("mixed.obj",
                                  "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                  "g mapped\nf 1/1 2/2 3/3\ng bare\nf 2 4 3\n");
  Model3D m;
  std::string error, note;
  ASSERT_TRUE(MeshFile::load(mixed, m, error, {}, &note)) << error;
  EXPECT_EQ(m.getIndices().size(), 3u);
  EXPECT_NE(note.find("1 of the file's 2 triangles left out: 1 in meshes without texture coordinates"),
            std::string::npos) << note;

  std::string faces;
  for (int i = 0; i < 6; ++i) faces += "f 1/1 2/1 3/1 4/1\nf 1 2 3\n";  // twelve mapped triangles, six bare
  std::string longFaces;  // 1.4 MB: lines straddle the counter's 1 MiB reads
  for (int i = 0; i < 100000; ++i) longFaces += "f 1/1 2/1 3/1\n";
  struct { std::string path; unsigned long max; std::string says; } const cases[] = {
      {write("claims.off", "OFF\n# made to exhaust memory\n353535235358 6 0\n0 0 0\n"), 1000,
       "claims 353535235358 vertices in a file of 52 bytes"},
      {write("many.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nelement face 12\n"
                         "property list uchar int vertex_indices\nend_header\n"), 10,
       "claims 12 faces, more than the 10 triangles"},
      {write("many.obj", "vt 0 0\n" + faces), 11, "over 11 triangles with texture coordinates"},
      {write("many.obj", "vt 0 0\n" + faces), 12, ""},  // taken
      {write("long.obj", "vt 0 0\n" + longFaces), 99999, "over 99999 triangles"},
      {write("long.obj", "vt 0 0\n" + longFaces), 100000, ""},
  };
  for (auto const& c : cases) {
    FILE* f = std::fopen(c.path.c_str(), "rb");
    ASSERT_TRUE(f);
    std::fseek(f, 0, SEEK_END);
    std::string why;
    EXPECT_EQ(MeshCounts::check(c.path, f, std::ftell(f), c.max, why), c.says.empty()) << c.path;
    EXPECT_NE(why.find(c.says), std::string::npos) << why;
    std::fclose(f);
  }
}

// The child gives MeshFile::load's mesh byte for byte, or its refusal; a
// cancel leaves no process behind.
TEST(MeshLoader, AChildReadsWhatTheLoaderReadsAndIsGoneWhenCancelled) {
  std::string const path = write("child.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nf 1/1 2/2 3/3\n");
  Model3D direct;
  std::string error;
  ASSERT_TRUE(MeshFile::load(path, direct, error)) << error;
  MeshLoader loader;
  auto const finished = [&] {
    for (int i = 0; i < 20000 && loader.poll({}) == MeshLoader::State::Loading; ++i) usleep(500);
    return loader.state();
  };
  ASSERT_TRUE(loader.start(path, error)) << error;
  ASSERT_EQ(finished(), MeshLoader::State::Loaded) << loader.error();
  Model3D const got = loader.take();
  ASSERT_EQ(got.getVertices().size(), direct.getVertices().size());
  EXPECT_EQ(std::memcmp(got.getVertices().data(), direct.getVertices().data(),
                        got.getVertices().size() * sizeof(Model3D::Vertex)), 0);
  EXPECT_EQ(got.getIndices(), direct.getIndices());

  ASSERT_TRUE(loader.start(testing::TempDir() + "no-such-mesh.obj", error));
  EXPECT_EQ(finished(), MeshLoader::State::Failed);
  EXPECT_NE(loader.error().find("No such file"), std::string::npos) << loader.error();

  ASSERT_TRUE(loader.start(path, error));
  loader.cancel();
  EXPECT_EQ(loader.state(), MeshLoader::State::Idle);
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "no child left, running or unreaped";
}
