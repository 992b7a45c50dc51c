// The displaced truth on the bench's own scene: the fidelityTruth variable, the
// snapshot's mesh, the flat plane's truth against the tangent plane, compare.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "BenchCommands.h"
#include "FidelityMeter.h"
#include "ImageFidelity.h"
#include "Stats.h"
#include "Techniques.h"
#include "smallview.h"

using namespace Techniques;

TEST_F(SmallView, TheTruthIsChosenByAWordAndABadOneChangesNothing) {
  run("fidelityTruth plane");
  EXPECT_NE(said("fidelityTruth sideways").find("usage: fidelityTruth"), std::string::npos);
  EXPECT_NE(said("fidelityTruth plane displaced").find("usage: fidelityTruth"), std::string::npos);
  MeasureScene::Snapshot snap = shaderTestModule.measureScene().snapshot();
  EXPECT_EQ(snap.truth, FidelityTruth::Plane);
  EXPECT_FALSE(snap.mesh) << "the tangent plane needs no mesh";
  run("fidelityTruth displaced");
  snap = shaderTestModule.measureScene().snapshot();
  EXPECT_EQ(snap.truth, FidelityTruth::Displaced);
  ASSERT_TRUE(snap.mesh);
  Model3D const& drawn = shaderTestModule.reliefScene().currentMesh();
  EXPECT_EQ(snap.mesh->triangles, drawn.getIndices());
  ASSERT_EQ(snap.mesh->vertices.size(), drawn.getVertices().size());
  ShellVertex const& v = snap.mesh->vertices[7];
  EXPECT_FLOAT_EQ(v.position[2], drawn.getVertices()[7].position.z);
  EXPECT_FLOAT_EQ(v.normal[1], drawn.getVertices()[7].basis.vec(2).y);
  EXPECT_FLOAT_EQ(v.texelScale[0], drawn.getVertices()[7].texelScale.x);
  run("fidelityTruth plane");
}

// On the flat plane the displaced surface is the tangent-plane model: the
// tangent-plane reference is within 0.001 texel of it (p99) where eye.z > 0.05,
// off the border where rays leave through the shell's wall; a set's figures
// and the two truths' reference frames agree but for the border.
TEST_F(SmallView, OnThePlaneTheDisplacedTruthEqualsTheTangentPlaneReference) {
  run({"scene plane", "fidelityTruth displaced"});
  MeasureScene::Snapshot const displacedSnap = shaderTestModule.measureScene().snapshot();
  run("fidelityTruth plane");
  MeasureScene::Snapshot const planeSnap = shaderTestModule.measureScene().snapshot();
  FidelityMeter displaced(shaderTestModule.measureScene(), displacedSnap), plane(shaderTestModule.measureScene(), planeSnap);
  std::string error, note;
  ASSERT_TRUE(displaced.capture(error, note)) << error;
  ASSERT_TRUE(plane.capture(error, note)) << error;
  displaced.traceReference();
  plane.traceReference();

  FidelityMeter::Errors floor;
  ASSERT_TRUE(displaced.measureTangentPlane(floor, error)) << error;
  std::vector<TraceInput> const& in = displaced.capturedInputs();
  std::vector<double> inside;
  for (size_t i = 0; i < in.size(); ++i) {
    float const* e = in[i].eye;
    float const z = e[2] / std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
    bool const away = std::min(in[i].u, in[i].v) > 0.1f && std::max(in[i].u, in[i].v) < 3.9f;
    float const err = floor.perPixel[static_cast<size_t>(displaced.capturedPixels()[i])];
    if (z > 0.05f && away) {
      EXPECT_GE(err, 0.0f) << "the truth misses inside the plane at pixel " << i;
      if (err >= 0.0f) inside.push_back(err);
    }
  }
  ASSERT_GT(inside.size(), 5000u);
  double const p99 = Stats::percentile(inside, 99);
  std::printf("the plane: the tangent-plane reference against the displaced truth, p99 %.6f texel over %d pixels\n",
              p99, static_cast<int>(inside.size()));
  EXPECT_LT(p99, 0.001);
  EXPECT_EQ(floor.missing, 0.0) << "the tangent-plane reference covers the whole plane";

  FidelityMeter::Errors a, b;
  ASSERT_TRUE(displaced.measure(Iterative | IterativeLerp, 16, a, error)) << error;
  ASSERT_TRUE(plane.measure(Iterative | IterativeLerp, 16, b, error)) << error;
  EXPECT_NEAR(a.mean, b.mean, 0.002);
  EXPECT_NEAR(a.p99, b.p99, 0.01);
  EXPECT_LT(b.extra, 0.0) << "no coverage figures against the tangent plane";
  EXPECT_GE(a.extra, 0.0);
  EXPECT_LT(a.extra + a.missing, 0.05);

  ImageFidelity imageA(shaderTestModule.measureScene(), displacedSnap), imageB(shaderTestModule.measureScene(), planeSnap);
  imageA.follow(displaced);
  imageB.follow(plane);
  std::vector<unsigned char> const* frameA = imageA.reference(false, error);
  ASSERT_TRUE(frameA) << error;
  std::vector<unsigned char> const copyA = *frameA;
  std::vector<unsigned char> const* frameB = imageB.reference(false, error);
  ASSERT_TRUE(frameB) << error;
  ASSERT_EQ(copyA.size(), frameB->size());
  size_t differ = 0;
  for (size_t i = 0; i < copyA.size(); i += 4)
    differ += std::abs(int(copyA[i]) - int((*frameB)[i])) > 8 || std::abs(int(copyA[i + 1]) - int((*frameB)[i + 1])) > 8;
  EXPECT_LT(differ, in.size() / 50) << "of " << in.size() << " pixels";
  run("scene sphere");
}

// `compare SET truth` traces the truth once the scene stands still, shows it
// right of the wipe and traces again after a change; a bad set is refused.
TEST_F(SmallView, CompareWithTheTruthTracesItAgainAfterAChange) {
  EXPECT_NE(said("compare NO_SUCH truth").find("compare: "), std::string::npos);
  EXPECT_FALSE(shaderTestModule.truthCompare().active());
  auto framesUntilTraced = [](int limit) {
    mark();
    for (int i = 0; i < limit; ++i) {
      sdlSys.pass();
      if (sinceMark().find("compare: the truth traced") != std::string::npos) return true;
    }
    return false;
  };
  run({"polyDepth 2", "compare ITERATIVE truth", "wipe 0"});
  ASSERT_TRUE(framesUntilTraced(3000));
  Module::Shot const truth = shot();
  run("compare off");
  Module::Shot const plain = shot();
  // The truth's picture replaces the set's over the whole view: the rim
  // differs, for one.
  size_t differ = 0;
  for (size_t i = 0; i < truth.rgb.size() && i < plain.rgb.size(); i += 3) differ += truth.rgb[i] != plain.rgb[i];
  EXPECT_GT(differ, 100u);
  run("compare ITERATIVE truth");
  ASSERT_TRUE(framesUntilTraced(3000));
  run("lightPos 0 0 20 1");
  EXPECT_TRUE(framesUntilTraced(3000)) << "a light moved is traced again";
  run("compare off");
  EXPECT_FALSE(shaderTestModule.truthCompare().active());
  run({"polyDepth 0.5", "wipe 0.5"});
  shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
}
