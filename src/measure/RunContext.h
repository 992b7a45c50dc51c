// RunContext: the context lines a measuring table carries, saying where its
// figures come from, in the order every measuring command writes them.
#pragma once

#include <string>

#include "MeasureScene.h"

class ResultTable;
class View;

// The camera as the camera command takes it and prints it: X Y Z QX QY QZ QW
// WIDTH, each as %g writes it.
std::string cameraLine(View const& view);

// Whether a renderer string names a software renderer (llvmpipe, softpipe,
// swrast), whose draw times are CPU time: no figure calls them GPU time.
bool softwareRenderer(std::string const& renderer);

// Adds the snapshot's context lines to `table` (ResultTable.h names the keys):
// version, renderer, colorMap, heightMap, normalMap, polyDepth, bumpScale,
// refineSteps, iterations, steps, camera, then the view's size, with the pixels
// measured after it where `pixels` is not negative ("800x600 246719").
void addRunContext(ResultTable& table, MeasureScene::Snapshot const& snap, long long pixels = -1);
