// The displaced truth on the bench's own scene, headless: the fidelityTruth
// variable and its refusal, the snapshot's mesh, and compare against the
// truth traced again after a change. (A flat mesh as the tangent-plane model
// is the shell walk's own test.)
#include "smallview.h"

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

// `compare SET truth` traces the truth once the scene has stood still, shows
// its picture right of the wipe, and traces again after a change; a bad set
// is refused with one line and nothing starts.
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
  run("polyDepth 2");
  run("compare ITERATIVE truth");
  run("wipe 0");
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
  run("polyDepth 0.5");
  run("wipe 0.5");
  shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
}
