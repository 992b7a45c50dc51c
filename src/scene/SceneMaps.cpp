// SceneMaps: loading the colour, height and normal maps, generating the
// normal map, setting the loaded maps aside and back, and binding them all.
#include "SceneMaps.h"

#include <GL/gl.h>

#include <algorithm>
#include <iostream>
#include <vector>

#include "BumpMap.h"
#include "HeightReadback.h"
#include "TextureUnits.h"
#include "base/console.h"
#include "base/image.h"
#include "base/imagesystem.h"

namespace {

// Binds a 2D texture (0: none) on a unit, leaving unit 0 active.
void bindOn(int unit, GLuint id) {
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  glBindTexture(GL_TEXTURE_2D, id);
  glActiveTexture(GL_TEXTURE0);
}

// A picture through the image system into `texture`, with mipmaps (as
// Texture::load2D); false with the reason, the texture untouched, when the
// file does not load.
bool loadPicture(Texture& texture, std::string const& filename, std::string& error) {
  ImagePtr const img(ImageSystem::load(filename.c_str(), error));
  if (!img) return false;
  if (texture.loadImage(*img)) return true;
  error = "a picture of " + std::to_string(img->bitsPerPixel) + " bits per pixel cannot be a texture";
  return false;
}

}  // namespace

void SceneMaps::unload() {
  colorTexture.unload();
  loadedBump.unload();
  loadedNormal.unload();
  loadedHeights.reset();
  setAside = false;
  bumpTexture.unload();
  normalTexture.unload();
  heightTexture.unload();
  userNormals = false;
  cones.unload();
  pyramid.unload();
}

bool SceneMaps::reportLoadFailure(char const* line, char const* what, std::string const& filename,
                                  std::string const& why) const {
  std::cout << line << filename << std::endl;
  // Most reasons name the file already.
  std::string const text = why.find(filename) != std::string::npos ? why
                           : why.empty()                           ? filename
                                                                   : filename + ": " + why;
  con << "cannot load the " << what << " " << text << "; the maps stay as they were\n";
  return false;
}

void SceneMaps::heightsChanged() {
  cones.invalidate();
  pyramid.invalidate();
}

bool SceneMaps::loadColorMap(std::string const& filename) {
  std::string error;
  if (loadPicture(colorTexture, filename, error)) return true;
  return reportLoadFailure("failed to load the texture map ", "colour map", filename, error);
}

bool SceneMaps::loadBumpMap(std::string const& filename, float bumpHeight) {
  std::string error;
  if (!loadPicture(bumpTexture, filename, error))
    return reportLoadFailure("failed to load bumpmap ", "bump map", filename, error);
  heightTexture.unload();
  userNormals = false;
  refreshNormalMap(bumpHeight);
  return true;
}

bool SceneMaps::loadHeightMap(std::string const& filename, float bumpHeight) {
  std::string error;
  ImagePtr const img(ImageSystem::loadGrey16(filename.c_str(), error));
  if (!img || !heightTexture.load(*img, error))
    return reportLoadFailure("failed to load the height map ", "height map", filename, error);
  refreshNormalMap(bumpHeight);
  return true;
}

bool SceneMaps::loadNormalMap(std::string const& filename, float bumpHeight) {
  std::string error;
  ImagePtr const img(ImageSystem::load(filename.c_str(), error));
  if (img && (img->greySource || (img->bitsPerPixel != 24 && img->bitsPerPixel != 32)))
    error = "a normal map needs RGB, this picture " +
            (img->greySource ? std::string("is grey") : "has " + std::to_string(img->bitsPerPixel) + " bits per pixel");
  Texture fresh;
  if (!img || !error.empty() || !fresh.loadImage(*img)) {
    fresh.unload();
    return reportLoadFailure("failed to load the normal map ", "normal map", filename, error);
  }
  if (!heightTexture.present()) {
    // The heights were the generated map's alpha: they move into the separate
    // height map before that map is replaced.
    std::unique_ptr<HeightField> const field = ::readHeights(normalTexture, heightTexture.texture(), error);
    if (!field || !heightTexture.load(*field, error)) {
      fresh.unload();
      return reportLoadFailure("failed to load the normal map ", "normal map", filename, error);
    }
  }
  normalTexture.unload();
  normalTexture = fresh;
  userNormals = true;
  refreshNormalMap(bumpHeight);
  return true;
}

void SceneMaps::refreshNormalMap(float bumpHeight) {
  if (!userNormals) {
    std::string error;
    std::unique_ptr<HeightField> const field =
        heightTexture.present() ? ::readHeights(normalTexture, heightTexture.texture(), error) : nullptr;
    if (field)
      BumpMap::genFromHeights(*field, normalTexture, bumpHeight);
    else
      BumpMap::gen(bumpTexture, normalTexture, bumpHeight);
  }
  heightsChanged();
}

bool SceneMaps::useHeights(HeightField const& field, float bumpHeight, std::string& error) {
  size_t const count = static_cast<size_t>(field.width()) * static_cast<size_t>(field.height());
  std::vector<unsigned char> grey(count);
  for (size_t i = 0; i < count; ++i)
    grey[i] = static_cast<unsigned char>(std::min(std::max(field.texels()[i], 0.0f), 1.0f) * 255.0f + 0.5f);
  Texture heights;
  if (!heights.build2DMipmaps(field.width(), field.height(), GL_LUMINANCE, GL_UNSIGNED_BYTE, grey.data(), 0, 0)) {
    error = "the GL refused a " + std::to_string(field.width()) + "x" + std::to_string(field.height()) + " height map";
    return false;
  }
  if (setAside) {
    bumpTexture.unload();
    normalTexture.unload();
  } else {
    loadedBump = bumpTexture;
    loadedNormal = normalTexture;
    loadedUserNormals = userNormals;
    // A separate 16-bit height map is kept as heights and uploaded again after.
    loadedHeights = heightTexture.present() ? ::readHeights(normalTexture, heightTexture.texture(), error) : nullptr;
    setAside = true;
  }
  heightTexture.unload();
  userNormals = false;
  bumpTexture = heights;
  normalTexture.reset();  // a new name: the loaded one is kept aside
  refreshNormalMap(bumpHeight);
  return true;
}

bool SceneMaps::restoreMaps() {
  if (!setAside) return false;
  bumpTexture.unload();
  normalTexture.unload();
  bumpTexture = loadedBump;
  normalTexture = loadedNormal;
  loadedBump.reset();
  loadedNormal.reset();
  userNormals = loadedUserNormals;
  std::string error;
  if (loadedHeights && !heightTexture.load(*loadedHeights, error))
    con << "the separate height map could not be put back: " << error << "\n";
  loadedHeights.reset();
  setAside = false;
  heightsChanged();
  return true;
}

std::unique_ptr<HeightField> SceneMaps::readHeights(std::string& error) const {
  return ::readHeights(normalTexture, heightTexture.texture(), error);
}

void SceneMaps::bind() const {
  colorTexture.bind(TextureUnits::Color);
  normalTexture.bind(TextureUnits::Normal);
  bindOn(TextureUnits::Cone, cones.ready() ? cones.name() : 0);
  bindOn(TextureUnits::MaxPyramid, pyramid.ready() ? pyramid.name() : 0);
  bindOn(TextureUnits::Height, heightTexture.texture().id);
}

void SceneMaps::unbind() {
  for (int unit : {TextureUnits::Cone, TextureUnits::MaxPyramid, TextureUnits::Height}) bindOn(unit, 0);
  Texture::unbindAll();
}
