// The state of one match and its one frame. A tlevel is made for one
// match, filled by its caller (options, window size, media) and by the mode
// set-up, driven frame by frame by a loop (the live one of matchloop.h, a
// replay player, the online session) and then dropped.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "effects/colordrift.h"
#include "effects/fireworks.h"
#include "effects/trail.h"
#include "match/frameinput.h"
#include "match/media.h"
#include "match/setup.h"
#include "match/snapshotformat.h"
#include "physics/border.h"
#include "physics/mainball.h"
#include "physics/ragobject.h"
#include "platform/platform.h"
#include "players/man.h"

// The whole simulation state of a match as bytes: saved by
// tlevel::saveState, taken back by tlevel::loadState; laid out as
// snapshotformat says.
using matchsnapshot = std::vector<uint8_t>;

class tlevel;

// Keeps what a match leaves behind (the replay folder does): told in the
// frame the match is decided, before its end screen shows (a window closed
// there loses nothing), and when the match's loop ends. The match itself
// knows nothing of files.
class matchkeeper {
 public:
  virtual ~matchkeeper() = default;
  virtual void decided(const tlevel& level) = 0;
  virtual void ended(const tlevel& level, int result) = 0;
};

class tlevel {
 public:
  tlevel();
  ~tlevel();
  tlevel(const tlevel&) = delete;
  tlevel& operator=(const tlevel&) = delete;

  // Touch history of every pair of men: [t][i][j] is non-zero when men i < j
  // touched t frames ago. Kept by manmancoll.
  static constexpr int contactframes = 160;
  int mencollided[contactframes][4][4] = {};
  int levelworstscore = 0;
  std::string name;
  std::array<std::string, 40> characters;
  int charposition = 1;
  bool cursorletter = false;  // a letter chosen with a pad stands under the cursor
  int initialtime = 0;
  int levelscore = 0;
  int timebonus = 0;
  int startscore = 0;
  int endscore = 0;
  int levelnum = 0;
  int gamecolors = 10;
  ColorTable adder = MakeColorTable(10, 0.0f);
  ColorTable levelcol = MakeColorTable(10, 0.0f);
  int optfireworks = 0;
  int opttrail = 0;
  std::string leveltype;
  int musicvolume = 0;
  int musicnumber = 1;
  Channel* musicchannel = nullptr;  // borrowed from the application
  std::array<Sound*, 4> musics{};   // borrowed from the application
  std::string phase;
  float bglinescol[3] = {0, 0, 0};
  float bglinesadd[3] = {2.0f, 2.0f, 2.0f};
  // The players; entries 0 to mennumber - 1 are in use. Non-owning: the
  // bodies are owned by `ownedmen`, which the mode set-up fills.
  std::array<Tman*, 7> men{};
  int xwin = 0;
  int ywin = 0;
  // Every simulated ragdoll, in stepping order: the men, then the main-ball
  // ragdolls, then arenarag. Non-owning.
  std::vector<ragobject*> raglist;
  double gravity = 0.0;
  std::unique_ptr<Tborder> border;  // null until the arena is built
  // Non-owning: each main ball belongs to the balllist of mainballrag[j].
  std::array<Tmainball*, 2> mainball{};
  std::array<std::unique_ptr<ragobject>, 2> mainballrag;
  double xcenter = 0.0;
  double ycenter = 0.0;
  double zoom = 0.4;
  double slower = 1.0;
  std::list<std::unique_ptr<dotburst>> dotlist;
  std::list<std::unique_ptr<Tfirework>> fireworkslist;
  int mennumber = 3;
  matchimages images;  // borrowed from the application; they outlive the match
  std::unique_ptr<ragobject> arenarag;
  int mainballnumber = 0;
  float maxowntime = 0.0f;
  int leveltime = 0;
  int phasetime = 0;
  int winner = 0;
  float scrittacol[3] = {0, 0, 0};
  float scrittaadd[3] = {2.0f, 2.0f, 2.0f};
  std::string scritta;
  int temposcritta = 0;

  // Owning storage of the players listed in `men`.
  std::vector<std::unique_ptr<Tman>> ownedmen;

  // ---- The simulation, one frame at a time ----
  // One frame from the players' input. With silent set nothing is drawn and
  // the music is not touched; the state comes out the same bit for bit.
  void advance(const FrameInput& in, bool silent);
  // Everything advance reads and changes besides the input: bodies, main
  // balls, owned times, phase and timers, trail dots, fireworks, drifting
  // colours, camera and the random generator.
  void saveState(matchsnapshot& out) const;
  // Takes back a snapshot saved by this match (bodies cannot be added or
  // removed by one). False for a snapshot of bodies of another shape, which
  // changes nothing.
  bool loadState(const matchsnapshot& in);
  // A 64-bit hash of the state saveState writes.
  uint64_t checksum() const;
  static uint64_t checksumof(const matchsnapshot& snapshot);

  // An online match: P in a frame's input pauses the match for everybody
  // and the next P resumes it, inside the simulation, instead of the
  // blocking local pause. Fixed by the set-up (the mode "online").
  bool sharedpause = false;
  // Part of the state in an online match alone, so local snapshots keep
  // their layout and checksums.
  bool paused = false;

  FrameInput frame;      // the input of the frame being simulated
  bool silent = false;   // the frame being simulated draws nothing
  int framecount = 0;    // frames simulated since the set-up
  int decidedframe = 0;  // the frame the end screen came up, 0 before
  // What the live loop must clear from the keyboard after this frame, so
  // keys of one screen do not reach the next (set anew by every frame):
  // 1 pending presses and typed characters, 2 everything, held keys too.
  int clearrequest = 0;

  // ---- How the match started, and its inputs since ----
  // Enough to set the match up again alike and play it once more.
  // The set-up as startmatch was given it, with the wins of the men there
  // are.
  matchsetup start;
  uint64_t startrandom = 0;  // the generator before the set-up
  matchsnapshot startsnapshot;     // the state after the set-up
  std::vector<FrameInput> inputs;  // the input of every frame played so far
  // A frame of a paused online match: counted and shown, nothing moves.
  void holdframe(const FrameInput& in, bool quiet);
  // The computer steers man i from this frame on.
  void computertakes(int i);
  matchsnapshot pausesnapshot;  // scratch of holdframe, kept for its capacity
  // Draws the match as it stands without changing it: the picture every
  // frame shows while it waits (a shared pause, a late machine).
  void drawstill();

  // Sets the match up from nothing: 0, or -1 when no match can be played.
  int startmatch(const matchsetup& setup);

  // Mode set-up and arena.
  int initarena(int arenanumber);
  int initsingleplayer(int levelnumber);
  int initcustom(const Tcustomsettings& settings);
  int initmultiplayer(const Tmultiplayersettings& settings);

  // Contacts between players and main balls, and between players.
  int menballcoll();
  int manmancoll();

  // Camera and background.
  int fixzoom();
  int dobackground2();

  // Ownership, phases and end screens.
  int writeowntime();
  int doscritta(double v);
  int changephase();
  int tellwinner(int t);
  int levelcompleted(int t);
  int gameover(int t);
  // The name prompt's editing by a pad's d-pad or stick (buttonnav* bits).
  void padnameentry(uint16_t nav);
  // The game-over screen asks for a name (every letter key types then).
  bool nameprompt() const;

  // Effects.
  int Handlefireworks();
  int handledotbursts(double zoom, double xcenter, double ycenter, double xwin,
                              double ywin);

  // A new player body for slot i, owned by this match and listed in raglist.
  Tman* addman(int i);
  // addman, then the body file loaded at the start position of player i.
  Tman* newbody(int i, double size);
  // The main balls and their ragdolls, at rest at the centre but for a random
  // push.
  void newmainballs(double radius, double mass);
  // Forgets every player and ragdoll, so a set-up starts from nothing.
  void clearbodies();
  // True when every player has a body to steer (the body file was read).
  bool bodiesready() const;
};

// 16 hex digits, as the trace shows a checksum.
std::string checksumtext(uint64_t sum);

// Restarts the music from its first track when the channel has stopped.
int keepmusic(tlevel& level, Channel* channel, double volume);
