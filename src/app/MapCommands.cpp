// The map commands: loading the colour, bump, height and normal maps (with
// the option words that fix maps made the other way), listing the maps in
// use, checking them against each other and the mesh, and setting the
// relief's depth in texels.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ConsoleArgs.h"
#include "LoadOptions.h"
#include "MapCheck.h"
#include "MirroredUv.h"
#include "PanelFields.h"
#include "ShaderGui.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"

namespace {

// A loading command's words: options first, then the file (LoadOptions).
// False after saying what is wrong.
bool readLoadWords(char const* command, int argc, char** argv, std::vector<std::string> const& known,
                   LoadOptions& out) {
  std::string error;
  if (parseLoadOptions(command, tokens(argv, 1, argc), known, out, error)) return true;
  con << error << "\n";
  return false;
}

void CFunc_colorMap(int argc, char** argv) {
  LoadOptions o;
  if (readLoadWords("colorMap", argc, argv, {}, o)) shaderTestModule.loadColorMap(o.file.c_str());
}

void CFunc_bumpMap(int argc, char** argv) {
  LoadOptions o;
  if (readLoadWords("bumpMap", argc, argv, {}, o)) shaderTestModule.loadBumpMap(o.file.c_str());
}

void CFunc_heightMap(int argc, char** argv) {
  LoadOptions o;
  if (readLoadWords("heightMap", argc, argv, {"-invert"}, o))
    shaderTestModule.loadHeightMap(o.file.c_str(), o.has("-invert"));
}

void CFunc_normalMap(int argc, char** argv) {
  LoadOptions o;
  if (readLoadWords("normalMap", argc, argv, {"-flipgreen"}, o))
    shaderTestModule.loadNormalMap(o.file.c_str(), o.has("-flipgreen"));
}

// A fix that loads `file` with `option` again, for a map that was loaded
// with that option already: it must be loaded without it.
void nameFix(std::string& fix, std::string& line, SceneMaps::Source const& source, std::string const& option) {
  if (fix.empty() || source.fix.empty()) return;
  size_t const at = fix.find(option + " ");
  if (at == std::string::npos) return;
  std::string const plain = fix.substr(0, at) + fix.substr(at + option.size() + 1);
  size_t const inLine = line.find(fix);
  if (inLine != std::string::npos) line.replace(inLine, fix.size(), plain);
  fix = plain;
}

// The mesh's texture mapping against the way the bench reads pictures: row 0
// at v = 0, so v runs down the picture, and a picture shown the right way
// round seen from outside (u to the right, v down) makes a left-handed frame
// by MirroredUv's sign. A file made for v up the picture (v = 0 at the bottom
// row) shows every texture upside down here, with right-handed frames.
std::string meshLine(ReliefScene const& scene) {
  std::vector<float> positions, uv, normals;
  for (Model3D::Vertex const& v : scene.currentMesh().getVertices()) {
    positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
    uv.insert(uv.end(), {v.texCoord.x, v.texCoord.y});
    _vec<3, float> const& n = v.basis.vec(2);
    normals.insert(normals.end(), {n.x, n.y, n.z});
  }
  MirroredUv const m = mirroredUvShare(positions, uv, scene.currentMesh().getIndices(), normals);
  std::string out = "mesh: " + scene.meshName() + ", " + std::to_string(m.triangles) + " triangles";
  if (m.counted == 0) return out + ": none has a texture mapping to check";
  size_t const upsideDown = m.rightHanded, minority = m.majorityRightHanded() ? m.leftHanded : m.rightHanded;
  out += ", " + std::to_string(m.counted) + " mapped: ";
  if (m.majorityRightHanded()) {
    std::string const fix = scene.meshVFlipped() ? "scene " + scene.meshName() : "scene -flipv " + scene.meshName();
    out += std::to_string(upsideDown) + " show the picture upside down (v runs up it, the bench's v runs down it " +
           "from row 0); fix: " + fix;
  } else {
    out += std::to_string(m.counted - upsideDown) + " show the picture the right way round; no fix needed";
  }
  char share[64];
  std::snprintf(share, sizeof share, "%.1f%%", 100.0 * m.share());
  return out + "; mirrored against the others: " + share + " (" + std::to_string(minority) + ")";
}

void checkMaps(ShaderGui const& gui) {
  ReliefScene const& scene = shaderTestModule.reliefScene();
  SceneMaps const& maps = scene.maps();
  std::string error;
  std::unique_ptr<HeightField> const heights = maps.readHeights(error);
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  if (!heights || !maps.readNormals(rgb, w, h, error)) {
    con << "maps check: " << error << "\n";
    return;
  }
  MapCheck check = MapCheck::run(*heights, rgb.data(), w, h, 3, gui.settings().polyThickness);
  check.nameFiles(maps.heightSource().file, maps.normalSource().file);
  nameFix(check.greenFix, check.greenLine, maps.normalSource(), "-flipgreen");
  nameFix(check.heightFix, check.heightLine, maps.heightSource(), "-invert");
  con << "maps check: normalMap " << maps.normalSource().describe() << " against heightMap "
      << maps.heightSource().describe() << "\n"
      << check.text();
  // The bench's own meshes map their tiling bricks either way round.
  if (scene.meshName() != "sphere" && scene.meshName() != "plane") con << meshLine(scene) << "\n";
}

// "maps" lists the maps in use; "maps check" checks them.
void CFunc_maps(int argc, char** argv) {
  std::string const what = argc > 1 ? unquote(argv[1]) : std::string();
  if (argc > 2 || (argc == 2 && what != "check")) {
    con << "usage: maps [check]\n";
    return;
  }
  ShaderGui* gui = panelFor("maps");
  if (!gui) return;
  if (what == "check") {
    checkMaps(*gui);
    return;
  }
  SceneMaps const& maps = shaderTestModule.reliefScene().maps();
  con << "colorMap " << maps.colorSource().describe() << "\nheightMap " << maps.heightSource().describe()
      << "\nnormalMap " << maps.normalSource().describe() << "\n";
}

// The relief's depth in texels of the height map: Poly Depth puts it
// polyThickness * 0.2 texture units deep, width texels each; Bumpmap Scale is
// the same depth for the normals generated from the heights.
void CFunc_depth(int argc, char** argv) {
  ShaderGui* gui = panelFor("depth");
  if (!gui) return;
  int const width = shaderTestModule.reliefScene().maps().heightSource().width;
  ReliefSettings const now = gui->settings();
  if (width <= 0) {
    con << "depth: there is no height map to count texels of\n";
    return;
  }
  if (argc == 1) {
    con << "depth: Poly Depth " << ReliefSettings::format(now.polyThickness) << " is "
        << ReliefSettings::format(now.polyThickness * 0.2 * width) << " texels of the " << width
        << "-texel-wide height map, Bumpmap Scale " << ReliefSettings::format(now.bumpHeight)
        << " texels; depth TEXELS sets both\n";
    return;
  }
  double texels = 0;
  if (argc != 2 || !parseFiniteDouble(unquote(argv[1]).c_str(), texels) || texels < 0) {
    con << "usage: depth [TEXELS] (the relief's depth in texels of the height map, 0 or more; it sets Poly Depth "
           "and Bumpmap Scale to match)\n";
    return;
  }
  // Both values are checked before either is set, so that a refusal changes nothing.
  std::string const poly = ReliefSettings::format(texels / (0.2 * width)), scale = ReliefSettings::format(texels);
  float p = 0, b = 0;
  std::string message;
  if (!ReliefSettings::takePolyDepth(poly, now.polyThickness, p, message) ||
      !ReliefSettings::takeBumpScale(scale, now.bumpHeight, b, message)) {
    con << "depth " << unquote(argv[1]) << ": " << message << "; nothing changed\n";
    return;
  }
  applyField(*gui, gui->polyDepthField.get(), poly);
  applyField(*gui, gui->bumpScaleField.get(), scale);
  con << "depth: " << scale << " texels of the " << width << "-texel-wide height map: Poly Depth "
      << ReliefSettings::format(gui->polyThickness) << ", Bumpmap Scale " << ReliefSettings::format(gui->bumpHeight)
      << "\n";
}

CVar colorMapCmd("colorMap", CFunc_colorMap);
CVar bumpMapCmd("bumpMap", CFunc_bumpMap);
CVar heightMapCmd("heightMap", CFunc_heightMap);
CVar normalMapCmd("normalMap", CFunc_normalMap);
CVar mapsCmd("maps", CFunc_maps);
CVar depthCmd("depth", CFunc_depth);

}  // namespace
