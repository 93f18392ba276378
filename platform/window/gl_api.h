// The OpenGL the renderer speaks: 3.3 core through libepoxy on the desktop,
// OpenGL ES 3.0 (WebGL 2) in a browser. Shaders start with the matching
// version line; LINEAR is how a coordinate is interpolated across a quad
// (ES has no noperspective, and every position here has w = 1 anyway).
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#define PARVANE_GLSL_VERSION \
  "#version 300 es\nprecision highp float;\nprecision highp sampler2DArray;\n#define LINEAR\n"
#else
#include <epoxy/gl.h>
#define PARVANE_GLSL_VERSION "#version 330 core\n#define LINEAR noperspective\n"
#endif
