// The keys players 1 to 4 steer with, and controls.txt that keeps them.
#pragma once

#include <string>
#include <vector>

// The file of the game's that keeps the keys.
extern const char* const controlsfile;

constexpr int controlplayers = 4;
enum controlaction { actionleft, actionright, actionup, actiondown };
constexpr int controlactions = 4;

struct keybindings {
  // Virtual-key codes by player (0-based) and action; 0 for no key.
  int keys[controlplayers][controlactions] = {};
  bool operator==(const keybindings& o) const;
};

// Arrows, W A S D, I J K L, and nothing for player 4.
keybindings defaultbindings();
// "LEFT", "RIGHT", "UP" or "DOWN".
const char* actionname(int action);
// The name a player reads for a key: "A", "7", "UP", "SPACE", "KEYPAD 3"...
std::string keyname(int key);
// True when a key can steer a player (a key code the game knows).
bool bindablekey(int key);
// Who else uses `key` than action `action` of player `player`: "PLAYER 2 UP",
// "PAUSE", "ESC" or "ENTER"; "" when nobody does.
std::string keyuser(const keybindings& b, int key, int player, int action);
// Binds the key unless someone else uses it; returns keyuser's answer, so ""
// means it is bound.
std::string bindkey(keybindings& b, int player, int action, int key);

// The bindings written in the lines of controls.txt: one action per line,
// "PLAYER ACTION KEY" (e.g. "2 UP 87", or "4 LEFT NONE"). A missing or bad
// line, or a key already taken by an earlier line, gives that action its
// default key when that is free, otherwise no key.
keybindings parsebindings(const std::vector<std::string>& lines);
std::vector<std::string> bindinglines(const keybindings& b);
// controls.txt beside the options; missing or unreadable: the defaults.
keybindings readbindings();
// false when the file could not be saved (the player is told, once).
bool writebindings(const keybindings& b);
