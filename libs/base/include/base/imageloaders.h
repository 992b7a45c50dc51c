// The six image loaders in one include, for code that names them directly.
#pragma once

#include "base/imageloadbmp.h"
#include "base/imageloadjpeg.h"
#include "base/imageloadpng.h"
#include "base/imageloadppm.h"
#include "base/imageloadtga.h"
#include "base/imageloadtiff.h"
