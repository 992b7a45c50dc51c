// The stb_image decoder, compiled here for the benchmark's comparison only
// (BMP and TGA).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#include <stb_image.h>
