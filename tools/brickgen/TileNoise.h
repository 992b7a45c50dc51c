// Periodic value noise: smooth pseudo-random fields that tile seamlessly.
#pragma once

#include <cstdint>

// Integer hash to a float in [0, 1); the same inputs always give the same value.
float hashUnit(uint32_t a, uint32_t b, uint32_t seed);

// Value noise over a lattice of `period` x `period` cells that repeats with that
// period, sampled at (x, y) in cell units. Result in [0, 1).
float tileNoise(float x, float y, int period, uint32_t seed);

// Sum of `octaves` layers of tileNoise, each with twice the frequency and half the
// weight of the last, normalised back to [0, 1). The field repeats every
// `period` cells of the first octave, so a picture sampled over one period tiles.
float tileFractal(float x, float y, int period, int octaves, uint32_t seed);
