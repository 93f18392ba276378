// The two functions through which every screen, menus and matches alike,
// ends the program.
#pragma once

// Ends the program when the window has been asked to close. Called once per
// frame next to the flip by every screen.
void checkquit();
// Shows the pointer, closes the display and ends with status 0. Saves nothing.
[[noreturn]] void quitgame();
