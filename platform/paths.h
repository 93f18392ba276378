// Where things are: the media folder, and the folders the game's files and
// the player's own files live in. Every path the platform opens is worked
// out here. Nothing outside platform/ includes this.
#pragma once

#include <string>

struct PlatformConfig;

namespace plat {

struct Platform;

// Finds the media folder (the one the configuration names, else the first
// that holds the media) and whether the game's files go to the player's
// folders. False, with the cause, when there is no media folder.
bool PlaceFolders(const PlatformConfig& config, Platform* p, std::string* error);
// The media folder before the platform starts: the one beside the
// executable when no other holds the media (code that reads media without
// starting the platform, such as tests of the loaders).
std::string DefaultMediaFolder();

// "media/..." in the media folder; the game's own files in the folder of
// their kind; anything else relative to the working folder.
std::string ResolvePath(const std::string& path);
// Where a failed load of `path` looked, for the message.
std::string SearchedFolder(const std::string& path);
// Creates the folders a game file is written into; true when they exist.
bool MakeFolderFor(const std::string& path);

// The file of extra controller mappings: the game's own among the media,
// the player's among the configuration.
extern const char* const kPadMappings;

}  // namespace plat
