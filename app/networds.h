// What the player reads when online play ends for this machine.
#pragma once

#include <string>

#include "online/reason.h"

// `hostversion`: the version a host that refused ours runs; `ours`: this
// game's version.
std::string networds(online::reason why, const std::string& hostversion, const std::string& ours);
