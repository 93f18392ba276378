// What the current GL context's X window shows, read from the X server:
// w x h pixels from its top-left corner, RGB, rows top first. False when
// there is no such window.
#pragma once

#include <cstdint>
#include <vector>

bool ReadShownWindow(int w, int h, std::vector<uint8_t>* rgb);
