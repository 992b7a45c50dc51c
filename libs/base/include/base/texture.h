// Texture: one OpenGL texture object, filled from a file, an Image or a pixel
// buffer (with GLU mipmaps), bound to units and read back.
#pragma once

class Image;

// A plain value: no destructor. Owners call unload() while the GL context
// exists. Pixel and row strides are in bytes; a stride below the tight size
// (0 included) means tightly packed.
class Texture {
public:
  Texture() { reset(); }

  // id and target to 0; nothing is deleted.
  void reset() {
    id = 0;
    target = 0;
  }
  // Stores the target and generates a name (no data, no binding).
  void initTextureID(int target);
  // Deletes the texture object, if any; id and target become 0.
  void unload();

  // Enables the target and binds the texture on the active unit (after
  // disabling every texture target there).
  void bind() const;
  // Selects the unit first (when multitexturing is available).
  void bind(int unit) const;
  // Disables the 1D, 2D and cube-map targets on the active unit.
  static void unbind();
  static void unbindUnit(int unit);
  // Unbinds every unit, highest first, so unit 0 ends active.
  static void unbindAll();

  // Modes of the texture object; the caller's bindings stay as they were.
  void setWrap1D(int s);
  void setWrap2D(int s, int t);
  void setFilter(int mag, int min);

  // Level 0 of the texture (the +X face of a cube map). The getters leave the
  // caller's bindings and enabled targets as they were.
  int getWidth() const;
  int getHeight() const;
  int getFormat() const;
  // A new[]-allocated copy of one level in the given format and type, rows
  // tightly packed (no row padding), sized from that level; the caller
  // delete[]s it. Null for an empty texture or a level without pixels. A cube
  // map answers for its +X face.
  unsigned char* getData(int level, int format, int type) const;
  // The same for one face of a cube map (0x8515 to 0x851A); null otherwise.
  unsigned char* getCubeMapSideData(int face, int level, int format, int type) const;

  // Loads a picture through the image system and uploads it with mipmaps.
  bool load2D(char const* filename);
  // 32-bit images become RGBA, 24-bit RGB, 8-bit luminance; other depths are
  // refused (false).
  bool loadImage(Image const& img);
  // Mipmapped textures through GLU: true when GLU built them; otherwise one
  // line names GLU's error and the texture is left empty (false).
  bool build2DMipmaps(int width, int height, int format, int type, unsigned char const* data,
                      int pixelStride, int rowStride);
  bool build1DMipmaps(int width, int format, int type, unsigned char const* data,
                      int pixelStride);
  // A zero-filled, unmipmapped 2D texture; components 0 means "from the format".
  bool createEmpty(int width, int height, int format, int type, int components);
  // Replaces level 0 of the 2D texture from the origin.
  void updateData2D(int width, int height, int format, int type, void* data);

  // Cube maps: faces are numbered 0x8515 (+X) to 0x851A (-Z). Everything
  // returns false without the cube-map extension.
  bool initCubeMap();
  bool createEmptyCubeMap();
  bool createCubeMapSide(int face, int width, int height, int format, int type,
                         unsigned char const* data, int pixelStride, int rowStride);
  bool updateCubeMapSide(int face, int width, int height, int format, int type,
                         unsigned char const* data, int pixelStride, int rowStride);
  // Six files in the order +X, -X, +Y, -Y, +Z, -Z; any failure leaves the
  // texture empty.
  bool loadCubeMap(char const* posX, char const* negX, char const* posY, char const* negY,
                   char const* posZ, char const* negZ);

  // Tight copies of strided pixel data (new[], caller delete[]s), or null when
  // the data is tight already (or the copy could not be made). The component
  // count of the format goes to *components when that is not null.
  static unsigned char* extract1DBuffer(int* components, int width, int format, int type,
                                        unsigned char const* data, int pixelStride);
  static unsigned char* extract2DBuffer(int* components, int width, int height, int format,
                                        int type, unsigned char const* data, int pixelStride,
                                        int rowStride);

  // Components of a pixel format and bits of a component type; values outside
  // the known tables stop the program (a programming error).
  static int componentsOf(int format);
  static int bitsOf(int type);

  unsigned int id;
  int target;
};
