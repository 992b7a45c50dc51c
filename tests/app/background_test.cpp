// Work the window does not wait for: a mesh read by another process and a cone
// map made for a measurement; the lines after wait, cancel gets through at once.
#include <sys/wait.h>

#include <fstream>

#include "smallview.h"

using Background = SmallView;

TEST_F(Background, AMeshLoadHoldsTheLinesAfterItWhileTheLastMeshDrawsAndCancelStopsIt) {
  ReliefScene const& scene = shaderTestModule.reliefScene();
  std::string const file = testing::TempDir() + "background-quad.obj";
  { std::ofstream(file) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 2/2 3/3 4/4\n"; }
  mark();
  shaderTestModule.jobs().exec(("scene " + file + " +plane").c_str());
  shaderTestModule.jobs().exec("echo the line after the load");
  EXPECT_TRUE(shaderTestModule.jobs().busy()) << "the file is read in the background";
  EXPECT_EQ(scene.meshName(), "sphere");
  EXPECT_FALSE(scene.crossingPlaneShown()) << "the plane comes with the mesh";
  long const frames = shaderTestModule.framesDrawn();
  for (int i = 0; i < 100000 && !shaderTestModule.jobs().idle(); ++i) sdlSys.pass();
  EXPECT_GT(shaderTestModule.framesDrawn(), frames);
  std::string const text = sinceMark();
  size_t const loaded = text.find("scene: " + file + ", 2 triangles, crossed by the plane");
  EXPECT_LT(loaded, text.find("the line after the load")) << text;
  EXPECT_EQ(scene.meshName(), file);

  // Cancelled, the load changes nothing and leaves no process behind.
  run("scene sphere -plane");
  shaderTestModule.jobs().exec(("scene " + file + " +plane").c_str());
  EXPECT_NE(said("cancel").find("cancelled loading " + file), std::string::npos);
  EXPECT_FALSE(shaderTestModule.jobs().busy());
  EXPECT_EQ(scene.meshName(), "sphere");
  EXPECT_FALSE(scene.crossingPlaneShown());
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "no loader left, running or unreaped";
}

TEST_F(Background, AConeMapMadeForAMeasurementLetsCancelThrough) {
  std::string const noise = noiseMap("background-noise.png", 11);
  shaderTestModule.getGui()->setTechniques(0);
  run("heightMap " + noise);
  ConeTexture const& cones = shaderTestModule.reliefScene().maps().coneMap();
  ASSERT_FALSE(cones.ready());

  std::string const csv = tempFile("background-cones.csv");
  mark();
  shaderTestModule.jobs().exec(("fidelity " + csv).c_str());
  for (int i = 0; i < 20000 && shaderTestModule.jobs().busy(); ++i) {
    if (sinceMark().find("waiting for the maps of RELAXED_CONE") != std::string::npos) break;
    sdlSys.pass();
  }
  ASSERT_TRUE(shaderTestModule.jobs().busy()) << "the measurement waits for the cone map, frame by frame";
  EXPECT_TRUE(cones.making());
  shaderTestModule.jobs().exec("cancel");
  EXPECT_FALSE(shaderTestModule.jobs().busy());
  EXPECT_NE(sinceMark().find("cancelled fidelity " + csv), std::string::npos);
  EXPECT_FALSE(cones.making()) << "the map the measurement asked for stops with it";
  EXPECT_FALSE(std::ifstream(csv).good());
  run("bumpMap bumptest.bmp");
}
