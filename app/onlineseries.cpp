// An online series: the lobby, then match after match played with the other
// machines by rollback. Every machine runs the whole match; this file only
// turns the keyboard into this machine's inputs, shows the frames the
// session plays, and keeps the series going.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/gamefiles.h"
#include "app/menudraw.h"
#include "app/networds.h"
#include "app/onlinesettings.h"
#include "controls/controls.h"
#include "match/quit.h"
#include "match/matchgame.h"
#include "match/tlevel.h"
#include "online/address.h"
#include "online/meeting.h"
#include "online/netplay.h"
#include "platform/platform.h"
#include "platform/savefile.h"
#include "players/man.h"
#include "replay/recording.h"

namespace {

// Frames at 60 a second of real time: the others' frames come in real time
// whatever this machine's clock does.
class realpacer {
 public:
  void wait() {
    const uint32_t now = RealClock();
    if (!started_ || static_cast<int32_t>(now - due_) > 100) {
      started_ = true;
      due_ = now;
      rest_ = 0;
    }
    rest_ += 1000;
    due_ += rest_ / 60;
    rest_ %= 60;
    const int32_t left = static_cast<int32_t>(due_ - RealClock());
    if (left > 0) RealSleep(left);
  }

 private:
  bool started_ = false;
  uint32_t due_ = 0;
  uint32_t rest_ = 0;
};

// The series' news as `net` trace lines; `left` gets a machine that left
// the match.
void passnews(online::netplay& net, int* left = nullptr) {
  online::netnews n;
  char text[64];
  while (net.pollnews(n)) {
    switch (n.what) {
      case online::netnews::joined:
        TraceEvent("net", "peer join " + std::to_string(n.machine));
        break;
      case online::netnews::left:
        TraceEvent("net", "peer leave " + std::to_string(n.machine));
        if (left != nullptr) *left = n.machine;
        break;
      case online::netnews::start:
        TraceEvent("net", "start " + std::to_string(n.men));
        break;
      case online::netnews::check:
        std::snprintf(text, sizeof text, "check %d %016" PRIx64, n.frame, n.checksum);
        TraceEvent("net", text);
        break;
      case online::netnews::desync:
        TraceEvent("net", "desync " + std::to_string(n.frame));
        break;
      case online::netnews::gotcode:
        TraceEvent("net", "code " + n.code);
        break;
      case online::netnews::lineup:
        TraceEvent("net", "route " + std::to_string(n.machine) + " " + online::linename(n.route));
        break;
    }
  }
}

// Why this machine is out of the series, in words, or empty.
std::string failuretext(const online::netplay& net) {
  return networds(net.failure(), net.hostversion(), gameversion);
}

uint64_t bodyfilehash() {
  std::string bytes;
  if (ReadWholeFile("media/man.txt", 1 << 20, &bytes) != 0) return 0;
  return hash64(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Titles and messages in a steady light colour: the game's title colours
// may never have drifted from black when the command line came straight
// here, and drifting them would draw on the random generator whose state
// the host hands every machine.
void settitlecolor() { SetColor(230, 230, 230); }

// A message on its own until Enter or Esc, or a few seconds.
void showmessage(const game& g, online::netplay& net, const std::string& text) {
  realpacer pacer;
  ClearKeys();
  for (int t = 0; t < 300; t++) {
    net.tick(online::machineinput(), RealClock(), false);
    passnews(net);
    Cls();
    settitlecolor();
    drawcentredfit(text, g.ywin * 0.45, textscale(5, g.xwin), g.xwin);
    checkquit();
    Flip(-1);
    pacer.wait();
    if (KeyPresses(keyenter) != 0 || KeyPresses(keyesc) != 0) break;
  }
}

// A part of a line of text in a colour of its own.
struct piece {
  std::string text;
  teamrgb rgb;
};
constexpr teamrgb grey = {100, 100, 100};
constexpr teamrgb white = {230, 230, 230};
constexpr int removekey = 'R';

// The pieces side by side, two blanks apart, centred as one line; a line
// too wide for the window is shrunk to fit it with a margin either side.
void drawpieces(const std::vector<piece>& pieces, double y, double scale, double w) {
  double natural = -LabelWidth("  ");
  for (const piece& p : pieces) natural += LabelWidth(p.text) + LabelWidth("  ");
  const double room = w * 0.94;
  if (natural * scale > room && natural > 0) scale = room / natural;
  const double gap = LabelWidth("  ") * scale;
  const double width = natural * scale;
  SetDrawScale(scale, scale);
  double x = (w - width) / 2;
  for (const piece& p : pieces) {
    SetColor(p.rgb.r, p.rgb.g, p.rgb.b);
    DrawLabel(p.text, x, y);
    x += LabelWidth(p.text) * scale + gap;
  }
  SetColor(grey.r, grey.g, grey.b);
}

std::string linelabel(online::linekind k) {
  std::string s = online::linename(k);
  for (char& c : s) c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// The lobby until the series starts; false when it was closed or failed.
bool lobby(const game& g, online::netplay& net) {
  realpacer pacer;
  int players = 1;
  int chosen = 0;  // the host's choice among the joiners, to remove one
  const std::vector<std::string> addresses = net.ishost() ? online::localaddresses()
                                                          : std::vector<std::string>();
  ClearKeys();
  for (;;) {
    net.servicelobby(RealClock());
    passnews(net);
    if (net.failure() != online::reason::none) {
      showmessage(g, net, failuretext(net));
      return false;
    }
    if (net.started()) return true;
    if (KeyPresses(keyleft) != 0 && players > 1 && net.setplayers(players - 1)) players--;
    if (KeyPresses(keyright) != 0 && players < online::maxlocalplayers &&
        net.setplayers(players + 1))
      players++;
    if (KeyPresses(keyesc) != 0) {
      net.close();
      return false;
    }
    const int joiners = static_cast<int>(net.roster().size()) - 1;
    if (KeyPresses(keyup) != 0) chosen--;
    if (KeyPresses(keydown) != 0) chosen++;
    chosen = std::max(0, std::min(chosen, joiners - 1));
    if (KeyPresses(removekey) != 0 && net.ishost() && joiners > 0) net.remove(net.roster()[chosen + 1].machine);
    if (KeyPresses(keyenter) != 0 && net.canstart()) {
      net.startseries(RandomState(), encodesettings(g.multiplayersettings, g.xwin, g.ywin),
                      RealClock());
    }

    Cls();
    const double w = g.xwin;
    const double small = textscale(3, w);
    double y = g.ywin * 0.1;
    settitlecolor();
    drawcentred(net.ishost() ? "HOST ONLINE GAME" : "JOIN ONLINE GAME", y, textscale(5, w), w);
    y += perwidth(80, w);
    SetColor(100, 100, 100);
    if (net.ishost()) {
      // The code first and large: it is what a friend types.
      switch (net.meetstatus()) {
        case online::netplay::registered:
          drawcentred("GAME CODE", y, small, w);
          y += perwidth(40, w);
          settitlecolor();
          drawcentred(net.code(), y, textscale(7, w), w);
          SetColor(100, 100, 100);
          y += perwidth(90, w);
          break;
        case online::netplay::asking:
          drawcentred("ASKING THE MEETING SERVER FOR A GAME CODE", y, small, w);
          y += perwidth(40, w);
          break;
        case online::netplay::silent:
          drawcentred("NO ANSWER FROM THE MEETING SERVER: JOIN BY ADDRESS", y, small, w);
          y += perwidth(40, w);
          break;
        case online::netplay::nomeeting:
          drawcentred(net.meetproblem().empty() ? "GAME CODES NEED A MEETING SERVER"
                                                : net.meetproblem(),
                      y, small, w);
          y += perwidth(40, w);
          break;
      }
      drawcentred("UDP PORT " + std::to_string(net.port()), y, small, w);
      y += perwidth(40, w);
      for (const std::string& a : addresses) {
        drawcentredfit(a, y, small, w);
        y += perwidth(40, w);
      }
    }
    y += perwidth(20, w);
    int man = 0;
    for (const online::rosterentry& e : net.roster()) {
      std::vector<piece> line;
      const bool marked = net.ishost() && joiners > 1 && e.machine == net.roster()[chosen + 1].machine;
      if (marked) line.push_back({">", white});
      line.push_back({e.machine == 1 ? "HOST" : "MACHINE " + std::to_string(e.machine), grey});
      // Each player in the shirt colour his man will wear.
      for (int p = 0; p < e.players && man < online::maxmen; p++, man++)
        line.push_back({"PLAYER " + std::to_string(man + 1), shirtcolour(man + 1)});
      if (e.machine != 1) {
        if (e.route != online::linekind::unknown) line.push_back({linelabel(e.route), grey});
        line.push_back({std::to_string(e.roundtrip) + " MS", grey});
      }
      drawpieces(line, y, small, w);
      y += perwidth(40, w);
    }
    y += perwidth(20, w);
    drawcentredfit("LEFT AND RIGHT: " + std::to_string(players) +
                       (players == 1 ? " PLAYER HERE" : " PLAYERS HERE"),
                   y, small, w);
    y += perwidth(40, w);
    drawcentred(net.ishost() ? (net.canstart() ? "ENTER STARTS" : "WAITING FOR PLAYERS")
                             : "WAITING FOR THE HOST",
                y, small, w);
    if (net.ishost() && joiners > 0) {
      y += perwidth(40, w);
      drawcentred(joiners > 1 ? "UP AND DOWN CHOOSE, R REMOVES" : "R REMOVES THE MACHINE", y, small, w);
    }
    checkquit();
    Flip(-1);
    pacer.wait();
  }
}

// "WAITING FOR PLAYER 3", or "PLAYERS 2 AND 3" of a machine with two.
std::string waitingtext(const online::session& s, int machine) {
  const int first = s.firstman(machine) + 1, n = s.players(machine);
  std::string text = "WAITING FOR PLAYER";
  if (n > 1) text += "S";
  for (int p = first; p < first + n; p++) {
    text += (p == first ? " " : p == first + n - 1 ? " AND " : ", ") + std::to_string(p);
  }
  return text;
}

// This machine's players' controls as one machine's input.
online::machineinput localinput(const FrameInput& in, int players) {
  online::machineinput out;
  if ((in.pressed & buttonpause) != 0) out.buttons |= online::machinepause;
  if ((in.pressed & buttonenter) != 0) out.buttons |= online::machineenter;
  if ((in.pressed & buttonspace) != 0) out.buttons |= online::machinespace;
  for (int p = 0; p < players && p < online::maxlocalplayers; p++) {
    out.players[static_cast<size_t>(p)] = in.players[static_cast<size_t>(p)];
    // A machine sends what its people do: the computer's stand-in for a
    // player without his pad is a local match's, and no peer would take it.
    out.players[static_cast<size_t>(p)].keys &= static_cast<uint8_t>(~inputcomputer);
  }
  return out;
}

// The inputs of every frame this machine played: the confirmed ones, then
// the guesses it played the rest with. None past the end: the confirmed
// frames may run on after it.
void playedframes(tlevel& level, online::session& s) {
  std::vector<FrameInput>& frames = level.inputs;
  if (frames.size() > static_cast<size_t>(level.framecount)) frames.resize(level.framecount);
  for (int32_t k = static_cast<int32_t>(frames.size()); k < level.framecount; k++)
    frames.push_back(s.frameinput(k));
}

// One match of the series. Returns the winner, -1 when it was left, -2 when
// the series cannot go on.
int onlinematchloop(game& g, online::netplay& net, int number, int* wins,
                    const Tmultiplayersettings& settings) {
  const int men = net.men();
  matchsetup setup = newsetup(g, "online");
  setup.multi = settings;
  setup.multi.numplayers = men;
  std::copy(wins, wins + 4, setup.wins);
  // The match's clock is its frame count on every machine, not this
  // machine's clock: it starts at 0.
  setup.fixedclock = true;
  setup.startclock = 0;
  // Every machine starts every match from the same random state.
  SetRandomState(net.start().seed + static_cast<uint64_t>(number) * 0x9e3779b97f4a7c15ull);
  std::unique_ptr<tlevel> level = newmatch(g);
  // This loop tells the keeper itself: the match is decided only once no
  // late input can undo it.
  level->keeper = nullptr;
  replaykeeper keeper;
  bool kept = false;
  if (level->startmatch(setup) != 0) return -2;
  const matchcontrols pads(false);
  TraceEvent("match", "start online 0 " + std::to_string(men));
  matchgame adapter(*level);
  net.beginmatch(adapter, RealClock());
  const int me = net.start().setup.me;
  const int mine = net.match()->players(me);
  realpacer pacer;
  std::string leftnote;
  int notetime = 0;
  bool ending = false;
  int result = -1;
  bool failed = false;
  for (;;) {
    const FrameInput in = level->capture.capture(false);
    if (level->capture.leaving()) {
      net.match()->quit();
      break;
    }
    const online::session::result r = net.tick(localinput(in, mine), RealClock(), !ending);
    int machine = 0;
    passnews(net, &machine);
    if (machine != 0) {
      const int first = net.match()->firstman(machine);
      leftnote = "PLAYER " + std::to_string(first + 1) + " LEFT";
      notetime = 180;
    }
    int32_t f;
    FrameInput confirmed;
    while (net.match()->takeconfirmed(f, confirmed)) level->inputs.push_back(confirmed);
    level->capture.clear(level->clearrequest);
    if (net.failure() != online::reason::none) {
      failed = true;
      break;
    }
    // Written before the end screen is seen for long: a window closed on it
    // loses nothing. The confirmed inputs are put back afterwards.
    if (!kept && level->decidedframe > 0 && net.match()->confirmed() >= level->decidedframe) {
      kept = true;
      const std::vector<FrameInput> confirmedframes = level->inputs;
      playedframes(*level, *net.match());
      keeper.decided(*level);
      level->inputs = confirmedframes;
    }
    // The end counts once no late input can change it.
    if (level->phase == "end") {
      ending = true;
      if (net.match()->confirmed() >= net.match()->frame()) {
        result = level->winner != 0 ? level->winner : -1;
        break;
      }
    } else {
      ending = false;
    }
    if (notetime > 0 && r == online::session::advanced) {
      notetime--;
      settitlecolor();
      drawcentred(leftnote, g.ywin * 0.1, textscale(4, g.xwin), g.xwin);
    }
    // Somebody else may have paused: say so, or the match just looks stuck.
    if (level->paused && r == online::session::advanced) {
      settitlecolor();
      drawcentred("PAUSE", g.ywin * 0.45, textscale(5, g.xwin), g.xwin);
    }
    if (g.musicvolume > 0) keepmusic(*level, g.musicchannel, g.musicvolume / 10.0);
    checkquit();
    // A frame the session held shows the last one again; a wait that
    // lasts says whom for and how long until the computer takes over.
    uint32_t held = 0, left = 0;
    int waitingfor = 0;
    if (r == online::session::advanced) {
      Flip(-1);
    } else if (net.match()->waiting(held, waitingfor, left) && held >= 500) {
      level->drawstill();
      settitlecolor();
      drawcentred(waitingtext(*net.match(), waitingfor), g.ywin * 0.15, textscale(4, g.xwin), g.xwin);
      drawcentred("DROPPED IN " + std::to_string((left + 999) / 1000), g.ywin * 0.25, textscale(3, g.xwin), g.xwin);
      Flip(-1);
    } else {
      IdleWait();
    }
    pacer.wait();
  }
  g.musicnumber = level->musicnumber;
  TraceEvent("match", "end " + std::to_string(level->framecount) + " " + std::to_string(result) +
                          " " + checksumtext(level->checksum()));
  // The replay holds exactly the frames this machine played; the one
  // written when the match was decided is completed.
  playedframes(*level, *net.match());
  keeper.ended(*level, result);
  if (failed) {
    showmessage(g, net, failuretext(net));
    return -2;
  }
  return result;
}

#ifndef PARVANE_MEET_SERVER
#define PARVANE_MEET_SERVER ""
#endif

// The meeting server for game codes: the command line's, else the "meet
// HOST[:PORT]" line of online.txt, else the one the build names.
std::string meetserver(const commandline& args) {
  if (!args.meet.empty()) return args.meet;
  std::string named;
  if (TextStream* in = OpenRead(onlinefile)) {
    for (int n = 0; n < 64 && !Eof(in); n++) {
      const std::string line = ReadLine(in);
      if (line.compare(0, 5, "meet ") == 0) named = line.substr(5);
    }
    Close(in);
  }
  // A file anyone may edit: what is no address is said and left aside.
  std::string host, why;
  uint16_t port = 0;
  if (!named.empty() && !online::parseaddress(named, host, port, &why)) {
    std::fprintf(stderr, "parvane: %s: the meeting server \"%s\" is no address\n",
                 GameFilePath(onlinefile).c_str(), named.substr(0, 64).c_str());
    named.clear();
  }
  return named.empty() ? PARVANE_MEET_SERVER : named;
}

// The host to join, typed; the last one is offered again. Empty when Esc.
std::string askaddress(const game& g) {
  std::string text;
  if (TextStream* in = OpenRead(lastjoinfile)) {
    text = ReadLine(in);
    if (!Close(in)) reportreadfailure(lastjoinfile);
  } else {
    reportreadfailure(lastjoinfile);
  }
  // A file anyone may edit: only what could be typed is kept.
  std::string checked;
  for (char c : text)
    if (c > ' ' && c < 127 && checked.size() < 64) checked += c;
  text = checked;
  realpacer pacer;
  // Games hosted on this network answer a broadcast; Down picks one.
  online::lanlist lan(RealClock());
  int picked = -1;
  ClearKeys();
  for (;;) {
    lan.service(RealClock());
    const std::vector<online::langame>& games = lan.games();
    if (KeyPresses(keydown) != 0 && picked + 1 < static_cast<int>(games.size())) picked++;
    if (KeyPresses(keyup) != 0 && picked >= 0) picked--;
    for (int c = NextTypedChar(); c != 0; c = NextTypedChar()) {
      if (c == 8) {
        if (!text.empty()) text.pop_back();
      } else if (c > ' ' && c < 127 && text.size() < 64) {
        text += static_cast<char>(c);
      }
    }
    if (KeyPresses(keyesc) != 0) return "";
    if (KeyPresses(keyenter) != 0) {
      // A game from the list is joined at its address, with no server.
      if (picked >= 0) return games[static_cast<size_t>(picked)].address;
      if (!text.empty()) break;
    }
    Cls();
    setrowcolor(g.unicol, titlerow);
    drawcentred("JOIN ONLINE GAME", g.ywin * 0.2, textscale(5, g.xwin), g.xwin);
    SetColor(100, 100, 100);
    drawcentred("GAME CODE, HOST OR HOST:PORT", g.ywin * 0.4, textscale(3, g.xwin), g.xwin);
    if (picked < 0) setrowcolor(g.unicol, titlerow);
    drawcentred(text + "_", g.ywin * 0.5, textscale(4, g.xwin), g.xwin);
    if (!games.empty()) {
      SetColor(100, 100, 100);
      drawcentred("ON THIS NETWORK (DOWN AND ENTER)", g.ywin * 0.62, textscale(3, g.xwin), g.xwin);
    }
    for (size_t i = 0; i < games.size(); i++) {
      SetColor(100, 100, 100);
      if (static_cast<int>(i) == picked) setrowcolor(g.unicol, titlerow);
      const online::langame& lg = games[i];
      drawcentred(lg.name + "  " + lg.address + (lg.code.empty() ? "" : "  " + lg.code),
                  g.ywin * 0.68 + perwidth(40, g.xwin) * static_cast<double>(i), textscale(3, g.xwin), g.xwin);
    }
    checkquit();
    Flip(-1);
    pacer.wait();
  }
  if (TextStream* out = OpenWrite(lastjoinfile)) {
    WriteLine(out, text);
    Close(out);
  }
  return text;
}

}  // namespace

int game::allonline(int port, const std::string& typed) {
  std::string address = typed;
  if (port == 0 && address.empty()) {
    address = askaddress(*this);
    if (address.empty()) return 0;
  }
  online::netplayoptions o;
  o.host = port != 0;
  o.port = static_cast<uint16_t>(port);
  o.address = address;
  o.meet = meetserver(cmdline);
  o.identity.version = gameversion;
  o.identity.bodyhash = bodyfilehash();
  o.identity.players = 1;
  std::string why;
  if (!cmdline.netsim.empty()) {
    if (!online::parseconditions(cmdline.netsim, o.conditions, &why)) {
      std::fprintf(stderr, "parvane: %s\n", why.c_str());
      return 0;
    }
    o.simulate = true;
  }
  std::unique_ptr<online::netplay> net = online::netplay::open(o, RealClock(), &why);
  if (!net) {
    std::fprintf(stderr, "parvane: %s\n", why.c_str());
    Notify(why);
    return 0;
  }
  if (!lobby(*this, *net)) return 0;
  seriessettings settings;
  settings.multi = multiplayersettings;
  settings.resolution = optres;
  if (!net->ishost() && !decodesettings(net->start().settings, settings)) {
    showmessage(*this, *net, "THE HOST SENT SETTINGS THIS GAME CANNOT PLAY");
    net->close();
    return 0;
  }
  // Every machine plays at the host's window size, this one too for the
  // series; its own resolution comes back afterwards and is kept as it was.
  const bool switched = settings.resolution != optres;
  if (switched) changeres(optfullscr, settings.resolution, 1);
  int wins[4] = {0, 0, 0, 0};
  forgetstandins();  // a local series' stand-in has no place here
  musicnumber = 1;
  int result = 0;
  for (int number = 0; result != -1 && result != -2; number++) {
    result = onlinematchloop(*this, *net, number, wins, settings.multi);
    if (result >= 1 && result <= 4) wins[result - 1]++;
  }
  net->close();
  if (switched) changeres(optfullscr, optres, 1);
  ClearKeys();
  return 0;
}
