// The filter through which typed names pass.
#pragma once

#include <string>

// The character as a one-letter string, or "nope" when a name may not hold it.
std::string keytochar(int code);
