// SceneMaps: the maps the relief is drawn from. The colour map, the heights
// (the generated normal map's alpha or a separate 16-bit height map), the
// normal map (generated from the heights or the user's own), the maps made
// from the heights for the searches (cone map, max pyramid), their loaders,
// and the loaded maps set aside while a measurement draws others.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ConeTexture.h"
#include "HeightField.h"
#include "HeightTexture.h"
#include "MaxPyramidTexture.h"
#include "base/texture.h"

class SceneMaps {
public:
  // Where a map came from: the file as it was named, its size, the bits per
  // channel it carries (a 16-bit height file whose samples are all widened
  // 8-bit values carries 8), and the fix its loader applied ("green flipped",
  // "inverted"). No file for a map the bench made (the generated normal map).
  struct Source {
    std::string file;
    int width = 0, height = 0, bits = 0;
    std::string fix;
    // "fine detail.bmp 256x256 8-bit", "n.png 512x512 8-bit, green flipped",
    // or "generated".
    std::string describe() const;
  };

  SceneMaps() = default;
  SceneMaps(SceneMaps const&) = delete;
  SceneMaps& operator=(SceneMaps const&) = delete;

  // Releases every texture and forgets what was set aside.
  void unload();

  // The loaders. Each is false, with a line on standard output (`line`
  // followed by the name, as the panel's requests print it) and one on the
  // console that says why, when the file cannot be loaded; the maps then stay
  // as they were.
  // The heights' loaders regenerate the normal map (unless it is the user's)
  // at `bumpHeight` and drop the cone map and the max pyramid, which are made
  // again when next asked for.
  bool loadColorMap(std::string const& filename);
  // The bundled path: heights from the file's luminance, the normal map
  // generated from them, heights in its alpha (8 bits). Drops a separate height
  // map and a loaded normal map.
  bool loadBumpMap(std::string const& filename, float bumpHeight);
  // A separate height map kept at 16 bits (HeightTexture, sampler heightMap;
  // the programs get HEIGHT_MAP). Without a loaded normal map the normals are
  // generated from these heights.
  // With `invert`, white deep in the file becomes the bench's white up.
  bool loadHeightMap(std::string const& filename, float bumpHeight, bool invert = false);
  // The user's tangent-space normal map (RGB as the generator writes it),
  // taken as it is. The heights stay those in use, moved into the separate
  // height map when they were the generated map's alpha.
  // With `flipGreen`, a file whose green points up the picture is turned to
  // the bench's green down it.
  bool loadNormalMap(std::string const& filename, float bumpHeight, bool flipGreen = false);

  // Regenerates the normal map from the heights at `bumpHeight` (not a normal
  // map the user loaded: that stays as it is); the cone map and max pyramid
  // are made again when next asked for.
  void refreshNormalMap(float bumpHeight);

  // Draws `field`'s heights (8 bits deep) in place of the loaded height map,
  // with a normal map made from them at `bumpHeight`, until restoreMaps(),
  // which puts the loaded height and normal maps back untouched. False with
  // the reason when the GL refuses the texture (the maps stay as they were).
  bool useHeights(HeightField const& field, float bumpHeight, std::string& error);
  // False when nothing was set aside (nothing changes then).
  bool restoreMaps();

  // Whether a separate height map is in use (the programs then need
  // HEIGHT_MAP), and whether the normal map is the user's.
  bool separateHeights() const { return heightTexture.present(); }
  bool userNormalMap() const { return userNormals; }
  // The heights the programs draw, read back from the GL.
  std::unique_ptr<HeightField> readHeights(std::string& error) const;
  // The normal map's RGB as the programs draw it, read back from the GL
  // (readNormalRgb).
  bool readNormals(std::vector<unsigned char>& rgb, int& width, int& height, std::string& error) const;
  // What the colour map, the heights and the normal map in use came from.
  Source const& colorSource() const { return colorFrom; }
  Source const& heightSource() const { return heightFrom; }
  Source const& normalSource() const { return normalFrom; }

  // The cone map (RELAXED_CONE) and max pyramid (MAX_PYRAMID), made from the
  // current heights. updateCones makes the cone map at once and waits for it;
  // startCones makes it on a thread of its own (false when there are no
  // heights), pollCones uploads it once made (true once it is ready).
  void updateCones() { cones.update(normalTexture, heightTexture.texture()); }
  bool startCones() { return cones.start(normalTexture, heightTexture.texture()); }
  bool pollCones() { return cones.poll(); }
  void cancelCones() { cones.cancel(); }
  ConeTexture const& coneMap() const { return cones; }
  // The kind of cone the map is made of; a change makes it again when next needed.
  void setConeKind(ConeMap::Kind kind) { cones.setKind(kind); }
  void updatePyramid() { pyramid.update(normalTexture, heightTexture.texture()); }
  MaxPyramidTexture const& maxPyramid() const { return pyramid; }

  // Binds every map on its texture unit (TextureUnits.h), a map not made yet
  // as none; unbind() empties the units of the maps made from the heights,
  // turns texturing off on every unit and leaves unit 0 active.
  void bind() const;
  static void unbind();

  // GL names of the colour and normal maps, for the panel's displays.
  unsigned colorMapName() const { return colorTexture.id; }
  unsigned normalMapName() const { return normalTexture.id; }
  unsigned heightMapName() const { return heightTexture.texture().id; }

private:
  // The failure's line on standard output (`line` and the name) and on the
  // console (with the reason); false, for the loader to return.
  bool reportLoadFailure(char const* line, char const* what, std::string const& filename, std::string const& why) const;
  // The heights changed: the maps made from them are made again when next asked for.
  void heightsChanged();

  Source colorFrom, heightFrom, normalFrom;
  Texture colorTexture;
  Texture bumpTexture;          // the bundled path's heights, the generator's input
  Texture normalTexture;
  HeightTexture heightTexture;  // the separate 16-bit heights
  bool userNormals = false;     // normalTexture is the user's, not generated
  // What useHeights holds aside until restoreMaps.
  bool setAside = false;
  Texture loadedBump, loadedNormal;
  bool loadedUserNormals = false;
  std::unique_ptr<HeightField> loadedHeights;  // the separate heights, if any
  ConeTexture cones;
  MaxPyramidTexture pyramid;
};
