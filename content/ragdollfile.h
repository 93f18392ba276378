// Reads a body description file into a ragdoll.
#pragma once

#include <string>

#include "physics/ragobject.h"

// Fills rag from the file at path: radii and widths scale by size *
// thickness, rest lengths by size, masses by massfactor, tension strengths by
// size * massfactor; positions and anchors are shifted by the offsets. A file
// that cannot be opened is announced and leaves rag as it was. Returns 0
// when a body was read, 1 when the file could not be opened, 2 when it
// holds no ball (empty or not a body file at all).
int loadragdoll(const std::string& path, ragobject& rag, double size, double thickness,
                Image* ballimage, Image* linkimage, double xoffset, double yoffset,
                double massfactor);
