// The platform services: the only door from the game to the window, the
// keyboard, the audio device, the clock, the files and the dialogs.
// Game code includes this header and nothing below it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Image;       // a texture with its size and handle
struct Font;        // a rasterised TrueType font
struct Sound;       // a decoded Ogg Vorbis sample
struct Channel;     // one playing instance of a sound
struct TextStream;  // a text file opened for reading or writing

// ---- Start and end of the program -------------------------------------

// Online play needs UDP, which a web page does not have.
#ifdef __EMSCRIPTEN__
constexpr bool kOnlinePlay = false;
#else
constexpr bool kOnlinePlay = true;
#endif

// How the platform runs: the window or the harness, and where the game's
// files go. Filled by the game from the command line (see
// TakePlatformOption) or directly by tests.
struct PlatformConfig {
  bool headless = false;
  std::string script;      // scripted input file, empty for none
  std::string trace;       // trace output file, empty for none
  bool seeded = false;     // --seed given: every SeedRandom uses `seed`
  uint32_t seed = 0;
  bool fakeClock = false;  // clock moves only when the game waits
  long maxFrames = -1;     // close request after this many flips; -1 none
  std::string mediaDir;    // empty: found beside the executable
  // The game's own files by the first part of their relative path (a file
  // such as "prefs.txt", or a folder such as "replays"): those kept with
  // the player's configuration, and those kept with the player's data.
  // Any other relative path is a file of the working folder.
  std::vector<std::string> configFiles;
  std::vector<std::string> dataFiles;
};

// Takes the platform's option at argv[*at] (and the value after it, moving
// *at onto that). Returns 1 when taken, 0 when argv[*at] is none of the
// platform's options, -1 when its value is missing or bad (the cause, one
// line, in *error).
int TakePlatformOption(int argc, char** argv, int* at, PlatformConfig* config, std::string* error);

// Starts the platform. Returns 0 on success, otherwise the exit status
// (1: no media folder or no display, 2: unreadable or malformed script)
// with the cause in *error.
int PlatformInit(const PlatformConfig& config, std::string* error);
void PlatformShutdown();
// Writes "TAG TEXT" as one trace line when a trace is being written.
void TraceEvent(const char* tag, const std::string& text);

// Thrown by EndProgram; main catches it, shuts the platform down and
// returns the status. Nothing in the game catches it.
struct ProgramExit {
  int status;
};
[[noreturn]] void EndProgram();           // exit status 0
[[noreturn]] void EndProgramWith(int status);
// A media file is missing or undecodable: names the file and the folder
// searched (message box in a window, always on stderr), exit status 1.
[[noreturn]] void FailMedia(const std::string& path);

// Absolute folder the media were found in.
std::string MediaFolder();

// ---- Display and frame --------------------------------------------------

// depth 0: a window of exactly width x height; depth 32: full screen (a
// desktop full-screen window with the frame scaled to fit, black bars).
// Returns false when no display can be opened.
bool OpenDisplay(int width, int height, int depth, int refreshRate, int flags);
void CloseDisplay();  // every image and font is gone afterwards
void Cls();
void Flip(int sync);  // 1: vertical blank; -1: paced to the refresh rate
void ShowPointer();
void HidePointer();
void SetWindowTitle(const std::string& text);

// Sleeps about one frame without drawing or flipping, polling input; used by
// loops that wait without showing anything (the pause). In a scripted run
// each such wait counts as a frame for the script and for --max-frames.
void IdleWait();

// ---- Drawing state and drawing ---------------------------------------------

void SetColor(int r, int g, int b);
void SetAlpha(double alpha);
void SetBlend(int mode);  // 3 alpha blending, 4 additive light
void SetDrawAngle(double degrees);
void SetDrawScale(double sx, double sy);
void SetLineWidth(double width);

void DrawSprite(Image* image, double x, double y, int frame);
void DrawLine(double x1, double y1, double x2, double y2);
void DrawRect(double x, double y, double width, double height);
void DrawLabel(const std::string& text, double x, double y);
double LabelWidth(const std::string& text);  // unscaled, in pixels
// Draws text centred across the band from 0 to `width` at the current scale;
// a text wider than the band is drawn at the scale that just fits it. The
// drawing scale is left as it was.
void DrawLabelCentred(const std::string& text, double y, double width);
double LabelHeight();

// Flags: 1 masked (black transparent when the file has no alpha),
// 2 filtered, 4 mipmapped; -1 uses the default flags.
Image* LoadSprite(const std::string& path, int flags);  // nullptr on failure
void SetDefaultImageFlags(int flags);
void CentreHandle(Image* image);
int SpriteWidth(Image* image);
int SpriteHeight(Image* image);

Font* LoadLabelFont(const std::string& path, int size, int style);  // nullptr on failure
void SetLabelFont(Font* font);

// ---- Input -------------------------------------------------------------------

// Virtual-key codes: the letters and digits are their capital ASCII codes.
constexpr int keyenter = 13;
constexpr int keyesc = 27;
constexpr int keyspace = 32;
constexpr int keyleft = 37;
constexpr int keyup = 38;
constexpr int keyright = 39;
constexpr int keydown = 40;
constexpr int key1 = '1';
constexpr int key4 = '4';
constexpr int key5 = '5';
constexpr int keypause = 'P';
constexpr int keydelete = 46;
// Any key the game has no code of its own for (F1, Shift, ...).
constexpr int keyother = 255;

int KeyPresses(int key);  // new presses since the last call for this key
bool KeyHeld(int key);
int NextTypedChar();  // 0 when none is waiting
void ClearKeys();
bool CloseRequested();  // cleared by the call

// ---- Game controllers ------------------------------------------------------------

// Controllers are numbered 1 to maxpads: a script's pads by its own numbers,
// a real one by the lowest free number. Buttons and axes are those of the
// standard layout whatever the make, thanks to the mapping database.
constexpr int maxpads = 8;
enum PadButton {
  padbuttona,
  padbuttonb,
  padbuttonx,
  padbuttony,
  padbuttonback,
  padbuttonguide,
  padbuttonstart,
  padbuttonleftstick,
  padbuttonrightstick,
  padbuttonleftshoulder,
  padbuttonrightshoulder,
  padbuttonup,
  padbuttondown,
  padbuttonleft,
  padbuttonright,
};
enum PadAxis {
  padaxisleftx,
  padaxislefty,
  padaxisrightx,
  padaxisrighty,
  padaxislefttrigger,
  padaxisrighttrigger,
};
// Where a pad points with its d-pad or its left stick pushed past half way.
enum PadNav { padnavup, padnavdown, padnavleft, padnavright };
// What pad buttons stand for: in the menus the d-pad and stick are the
// arrow keys, A and Start Enter, B and Back Esc; in a match A is Enter,
// Start P, Back Esc and X R; or nothing at all.
enum PadKeys { padkeysmenu, padkeysmatch, padkeysnone };

bool PadConnected(int pad);
// Changes with every plugging in of the pad, so a pad unplugged and plugged
// back between two looks is still seen as new; 0 for a pad never seen.
uint32_t PadConnection(int pad);
std::string PadName(int pad);
bool PadHeld(int pad, int button);
double PadAxisValue(int pad, int axis);     // -1 to 1 (y grows downward), triggers 0 to 1
int PadNavPresses(int pad, int direction);  // new presses since the last call, cleared by ClearKeys
void SetPadKeys(int mode);

// ---- Sound ---------------------------------------------------------------------

Sound* LoadSoundFile(const std::string& path, int flags);  // nullptr on failure
Channel* AllocChannel();
void PrepareSound(Sound* sound, Channel* channel);
void SetVolume(Channel* channel, double volume);
void Resume(Channel* channel);
void Stop(Channel* channel);
bool Playing(Channel* channel);

// ---- Clock, random numbers, mathematics -------------------------------------

int Clock();  // milliseconds
// Real milliseconds from an arbitrary start, even under --fake-clock: the
// network keeps real time whatever the game's clock does.
uint32_t RealClock();
// Waits real milliseconds, even under --fake-clock.
void RealSleep(int ms);
void Sleep(int ms);

void SeedRandom(uint32_t seed);
// A seed that differs from launch to launch (the system's entropy, else the
// wall clock). With --seed, SeedRandom ignores it like any other.
uint32_t LaunchSeed();
double RandomReal(double min, double max);  // uniform in [min, max)
int RandomInt(int min, int max);            // uniform over min..max inclusive
// The generator's whole state, so a match can be saved and taken up again
// with the same numbers to come. Setting it is not a seeding: --seed has no
// say in it.
uint64_t RandomState();
void SetRandomState(uint64_t state);

double Sind(double degrees);
double Cosd(double degrees);
double ATand(double x);
double ATan2d(double y, double x);

// Leading blanks, optional sign, then decimal digits ("$" hexadecimal, "%"
// binary after the sign) up to the first other character; no digits: 0.
int TextToInt(const std::string& text);
int64_t TextToInt64(const std::string& text);
// A leading decimal number (sign, digits, fraction, exponent); otherwise 0.
double TextToReal(const std::string& text);
// Strictly a decimal number from 0 to `limit`: digits and nothing else, as
// a command line's numbers must be. False for anything else.
bool ReadDecimal(const std::string& text, uint64_t limit, uint64_t* value);

// The text with each control character (C0, DEL, and C1 raw or as UTF-8)
// replaced by '?'. What a file or a packet says reaches the terminal or the
// screen only this way, so it can never move the cursor, retitle or clear.
std::string Printable(const std::string& text);

// ---- Files -----------------------------------------------------------------------

// Paths starting with "media/" are looked up in the media folder; others are
// relative to the working folder. A stream opened for writing goes to a
// temporary file that Close flushes and renames over the target, so a crash
// or a full disk never leaves a half-written file.
TextStream* OpenRead(const std::string& path);   // nullptr when missing
TextStream* OpenWrite(const std::string& path);  // nullptr on failure
// Up to LF or NUL, CR dropped. A line of more than 4096 bytes is not read:
// it comes back empty, and the stream ends there as damaged.
std::string ReadLine(TextStream* stream);
void WriteLine(TextStream* stream, const std::string& text);  // text CR LF
bool Eof(TextStream* stream);
// False when the data could not be saved, or a read stream was damaged.
bool Close(TextStream* stream);
bool CreateEmptyFile(const std::string& path);
// Whole binary files, named as above. A write goes through a temporary file
// renamed over the target. A read takes at most `limit` bytes: 0 read, 1
// missing or unreadable, 2 longer than the limit (nothing is kept then).
bool WriteWholeFile(const std::string& path, const std::string& bytes);
int ReadWholeFile(const std::string& path, size_t limit, std::string* bytes);
// The same as ListFiles below.
std::vector<std::string> ListFolder(const std::string& path);
bool MakeFolder(const std::string& path);  // true when it exists afterwards

// The game's own files are named by plain relative paths, and the game
// says which are configuration and which are data (PlatformConfig). Run
// from the build tree they live in the working folder; installed, in
// $XDG_CONFIG_HOME/parvane and $XDG_DATA_HOME/parvane, whose folders
// OpenWrite and CreateEmptyFile create when needed (and a game file's own
// folders, such as "replays/", in either case). Reading accepts only
// regular files (or links to them): anything else counts as missing.
// Writing through a link replaces the link's target, keeps the old file's
// permission bits, refuses a file without write permission, and writes in
// place when no temporary file can be made beside the target.

// Why the last OpenWrite, Close or CreateEmptyFile failed, in words for the
// player ("Permission denied"); after an OpenRead that gave no stream, ""
// when the file is simply missing.
std::string LastFileError();
// The absolute path of a game file, and of the folder that holds it, for
// messages to the player.
std::string GameFilePath(const std::string& path);
std::string GameFileFolder(const std::string& path);
// A path as a screen shows it: "~/..." inside the user's home folder, where
// the full path would often not fit.
std::string HomeShortened(const std::string& path);
// The regular files in a game folder ("replays"), by name, sorted, at most
// 4096; empty when the folder is missing. Hidden files and the leftovers of
// an interrupted save are left out.
std::vector<std::string> ListFiles(const std::string& folder);
// Removes one game file (never a folder); false when nothing was removed.
bool RemoveFile(const std::string& path);
// When a game file was last written, local time, "YYYY-MM-DD HH:MM"; "" when
// it is missing. Under --fake-clock every file reads "2000-01-01 00:00", so
// a run's trace does not depend on the day it ran.
std::string FileDate(const std::string& path);

// ---- Dialogs -----------------------------------------------------------------------

int Proceed(const std::string& text);  // 1 yes, 0 no, -1 cancel or closed
void Notify(const std::string& text);
// Shows a message on a screen of the game's own in a display `width` x
// `height`. Notify and a media failure call it when the desktop's message
// box could not open but the display is (never when unattended), so that no
// failure goes unseen; the drawing state is kept around the call.
using MessageScreen = void (*)(const std::string& text, int width, int height);
void SetMessageScreen(MessageScreen show);

// ---- Diagnostics for benchmarks -------------------------------------------------

// Draw calls issued by the backend during the last shown frame.
int LastFrameDrawCalls();
// false: one draw call per quad (the unbatched baseline of the benchmarks).
void SetBatching(bool on);
// false: every frame is drawn whole, even where it is the same as the one
// before (benchmarks of drawing). On by default.
void SetRedrawOnlyChanges(bool on);
