// ConeSearch: the pyramid of cell tops the cone generator prunes with (per direction quadrant for relaxed cones) and the depth-first search that finds the raw ratios of a tile of texels over it at once.
#pragma once

#include <cstdint>
#include <vector>

#include "ConeBounds.h"
#include "HeightField.h"
#include "HeightPyramid.h"

namespace ConeSearch {

// What a block of cells holds for the search. top[k] is the highest top of
// the cells in which the surface may fall away along some direction of
// quadrant k (k = (x negative) + 2 * (y negative)), -1 where there is none;
// for conservative cones all four are the highest top of all. slopeX and
// slopeY (relaxed cones only) bound the cells' slopes b - a, d - c and c - a,
// d - b, in height per texel, so that the falling test with them bounds every
// cell's.
struct Block {
  float top[4];
  float slopeX[2], slopeY[2];
};

// What the search prunes with: the highest top that can count over a block
// of cells. For conservative cones that is the field's own pyramid (the
// highest texel over each block of cells); for relaxed cones, from level 1
// up, the highest falling top per quadrant, which bounds every cell
// ConeBounds::Geometry::falls lets count.
class Tops {
public:
  Tops(HeightField const& field, ConeMap::Kind kind);

  bool relaxed() const { return relaxed_; }
  // The highest top of any cell that can count.
  float highest() const { return highest_; }
  // The highest tops that can count in the block of side 2^level at block
  // (bx, by) of the unwrapped plane (the cells [bx * 2^level, (bx + 1) *
  // 2^level) each way), per quadrant (all four the same for
  // conservative cones). Exact where 2^level divides both sides of the map, so that
  // the block is one of the stored ones; otherwise from a wrapped range query,
  // which may take in more.
  Block at(int level, long bx, long by) const {
    if (static_cast<size_t>(level) >= stored_.size()) return everything_;
    Stored const& s = stored_[static_cast<size_t>(level)];
    if (!s.tiles) return unstored(level, bx, by);
    size_t const i = static_cast<size_t>(s.maskW >= 0 ? bx & s.maskW : ConeBounds::Geometry::wrap(bx, s.w)) +
                     static_cast<size_t>(s.maskH >= 0 ? by & s.maskH : ConeBounds::Geometry::wrap(by, s.h)) *
                         static_cast<size_t>(s.w);
    if (s.falling) return s.falling[i];
    float const top = s.plain[i].max;
    return {{top, top, top, top}, {-1.0f, 1.0f}, {-1.0f, 1.0f}};
  }

private:
  // How a level is read: when 2^L divides both sides its blocks are the
  // stored ones, w x h of them.
  struct Stored {
    bool tiles;
    long w, h, maskW, maskH;  // masks: size - 1 for powers of two, else -1
    HeightField::Range const* plain;
    Block const* falling;  // relaxed cones, level 1 and up
  };

  Block unstored(int level, long bx, long by) const;

  HeightField const& field_;
  long w_, h_;
  bool relaxed_;
  // Relaxed cones: levels 1 and up (falling_[L - 1] is level L), clipped as
  // the field's own are, so that a block's index covers the same cells in both.
  std::vector<PyramidLevel<Block>> falling_;
  Block everything_;  // what a block that holds every cell holds
  // Up to the first level whose blocks cover the map each way; blocks of
  // higher levels hold every cell.
  std::vector<Stored> stored_;
  float highest_;
};

// The raw ratios of a tile of texels, searched together: each node of the
// search is tested against every texel of the tile, and passed over once no
// texel can gain from it. Nodes are blocks aligned in the unwrapped plane:
// level L, block (bx, by) covers the cells [bx * 2^L, (bx + 1) * 2^L) each way.
class TileSearch {
public:
  // A cell, unwrapped.
  struct Cell {
    long x, y;
  };

  static constexpr int side = 8;
  static constexpr int lanes = side * side;  // texel (x0 + i % side, y0 + i / side) is lane i

  // The geometry and the tops must outlive the search.
  TileSearch(ConeBounds::Geometry const& g, Tops const& tops);

  // The ratios of the texels [x0, x0 + side) x [y0, y0 + side) that lie in the
  // map, into out (the map's layout), their footprints at footprints[(y - y0)
  // * W + x] (the tile's rows of the map). The seeds are tried first: any
  // cells, best those likely to limit the tile's texels (those that limited
  // its neighbours'), whose bounds make a low best at once.
  void run(long x0, long y0, ConeBounds::Footprint const* footprints, float* out, std::vector<Cell> const& seeds);
  // The cells that set the last tile's ratios, each once.
  std::vector<Cell> const& limiters() const { return limiters_; }

private:
  struct Node {
    int32_t level;
    long bx, by;
    uint64_t lanes;  // the texels that may still gain from the node
  };

  uint64_t passing(long cx0, long cy0, long cx1, long cy1, Block const& block, uint64_t among) const;
  Block cellBlock(long x, long y, float top) const;
  void exact(long x, long y, float top, int i);
  void tryCell(long x, long y, uint64_t among);
  void push(Node const& parent);

  ConeBounds::Geometry const& g_;
  Tops const& tops_;
  float invW_, invH_;
  std::vector<Node> stack_;
  long x0_ = 0, y0_ = 0;                       // the tile's first texel
  long wx0_ = 0, wy0_ = 0, wx1_ = 0, wy1_ = 0;  // the cells any of its texels can gain from, unwrapped
  // Per lane: the texel's footprint, its best so far and that squared with
  // the margin, and the cell (unwrapped) that set it, with its gaps and top.
  alignas(64) float low_[lanes], best_[lanes], best2_[lanes];
  float lowest_ = 0.0f;  // the lowest low_ of all lanes
  float widest_ = 0.0f;  // no lower than the highest best2_ of all lanes
  bool lowered_ = false;
  ConeBounds::Footprint fp_[lanes];
  long limitX_[lanes], limitY_[lanes];
  float limitGapX_[lanes], limitGapY_[lanes], limitTop_[lanes];
  bool limited_[lanes];
  uint64_t valid_ = 0;
  std::vector<Cell> limiters_, seeds_;
};

}  // namespace ConeSearch
