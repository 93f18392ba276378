// Several machines in one process, each with its own toy game and session,
// joined through the in-process network with a simulated bad network in
// front of every machine. Used by the session tests and the benchmarks.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "online/memnet.h"
#include "online/netsim.h"
#include "online/session.h"
#include "tests/online/toygame.h"

struct rig {
  struct node {
    toygame game;
    std::unique_ptr<online::netsim> sim;
    std::unique_ptr<online::session> s;
    std::map<int32_t, online::machineinput> sent;  // by the frame it is for
    std::map<int32_t, uint64_t> checks;
    std::vector<FrameInput> confirmed;  // as a replay would record them
    std::vector<online::sessionevent> events;
    int starttick = 0;       // global frame this machine begins on
    int extraevery = 0;      // a fast clock: one extra frame every so many
    int ticks = 0;
    bool stopped = false;    // the process is gone: it neither ticks nor answers
  };

  online::memnetwork net;
  std::vector<std::unique_ptr<node>> nodes;  // machine m is nodes[m - 1]
  online::sessionsetup setup;
  int64_t globaltick = 0;
  uint64_t secret = 0x5ec2e7;  // the host's, for the keys of the direct lines

  // `players[i]` men on machine i + 1; machine 1 hosts.
  rig(const std::vector<int>& players, const online::netconditions& c, uint64_t seed,
      int checkinterval = 1) {
    setup.machines = static_cast<int>(players.size());
    for (size_t i = 0; i < players.size(); i++) {
      // In the in-process network a machine's address is its number there.
      setup.roster[i] = {static_cast<uint8_t>(i + 1), static_cast<uint8_t>(players[i]), 0,
                         static_cast<uint32_t>(i), 0};
      net.add();
    }
    setup.checkinterval = checkinterval;
    for (size_t i = 1; i < players.size(); i++) net.connect(0, static_cast<int>(i));
    for (size_t i = 0; i < players.size(); i++) {
      auto n = std::make_unique<node>();
      n->sim = std::make_unique<online::netsim>(net.at(static_cast<int>(i)), c, seed * 31 + i);
      nodes.push_back(std::move(n));
    }
  }

  // Builds the sessions; done after a test changes `setup`.
  void begin() {
    for (int m = 1; m <= setup.machines; m++) {
      node& n = *nodes[m - 1];
      online::sessionsetup mine = setup;
      mine.me = m;
      for (int j = 2; j <= setup.machines; j++) mine.keys[j] = m == 1 || j == m ? 0 : online::pairkey(secret, m, j);
      n.s = std::make_unique<online::session>(n.game, *n.sim, mine);
      if (m == 1) {
        for (int j = 2; j <= setup.machines; j++) n.s->link(j, j - 1, 0);
      } else {
        n.s->link(1, 0, 0);
      }
    }
  }

  // What machine m's players do on its t-th frame: held keys that change
  // every few frames, now and then a stick, rarely a pause press.
  static online::machineinput play(int m, int t, int players) {
    online::machineinput in;
    for (int p = 0; p < players; p++) {
      const uint32_t period = static_cast<uint32_t>(t / (7 + 3 * m + p));
      uint32_t h = period * 2654435761u ^ static_cast<uint32_t>(m * 97 + p * 13);
      h ^= h >> 15;
      h *= 2246822519u;
      h ^= h >> 13;
      in.players[p].keys = h & online::inputdirections;
      if ((h >> 8) % 5 == 0) {
        in.players[p].stickx = static_cast<int8_t>(static_cast<int>((h >> 12) % 161) - 80);
        in.players[p].sticky = static_cast<int8_t>(static_cast<int>((h >> 20) % 161) - 80);
      }
    }
    if (t % 211 == 50 + 17 * m) in.buttons |= online::machinepause;
    if (t % 331 == 9 * m) in.buttons |= online::machineenter;
    return in;
  }

  uint32_t clockof(const node& n) const {
    return static_cast<uint32_t>((globaltick - n.starttick) * 1000 / 60);
  }

  void tickone(int m) {
    node& n = *nodes[m - 1];
    if (!n.s || n.stopped || globaltick < n.starttick) return;
    const online::machineinput in = play(m, n.ticks++, setup.roster[m - 1].players);
    if (n.s->tick(in, clockof(n)) == online::session::advanced) {
      n.sent[n.s->lastlocalframe()] = n.s->lastlocal();
    }
    int32_t f;
    FrameInput fi;
    while (n.s->takeconfirmed(f, fi)) {
      if (f == static_cast<int32_t>(n.confirmed.size())) n.confirmed.push_back(fi);
    }
    online::sessionevent e;
    while (n.s->pollevent(e)) {
      if (e.what == online::sessionevent::check) n.checks[e.frame] = e.checksum;
      n.events.push_back(e);
    }
  }

  void step() {
    for (int m = 1; m <= setup.machines; m++) {
      tickone(m);
      node& n = *nodes[m - 1];
      if (n.extraevery && (globaltick + 1) % n.extraevery == 0) tickone(m);
    }
    globaltick++;
  }

  // Steps until every running machine has confirmed `frames` frames, or the
  // step budget runs out.
  void runto(int32_t frames, int64_t budget) {
    for (int64_t i = 0; i < budget; i++) {
      bool done = true;
      for (auto& n : nodes) {
        if (n->stopped || n->s->isover()) continue;
        if (n->s->confirmed() < frames || n->s->frame() < frames) done = false;
      }
      if (done) return;
      step();
    }
  }

  // The frame the computer took a machine's men over after, or -1.
  int32_t leftafter(int m) const {
    for (auto& n : nodes) {
      for (const auto& e : n->events) {
        if (e.what == online::sessionevent::left && e.machine == m) return e.frame;
      }
    }
    return -1;
  }

  // The same match with no network: every machine's inputs in the frames
  // they were meant for. Returns the checksum after each frame, from 1.
  std::vector<uint64_t> reference(int32_t frames) const {
    toygame g;
    std::vector<uint64_t> sums(static_cast<size_t>(frames) + 1, 0);
    for (int32_t f = 0; f < frames; f++) {
      FrameInput in;
      int man = 0;
      for (int m = 1; m <= setup.machines; m++) {
        const int players = setup.roster[m - 1].players;
        const int32_t gone = leftafter(m);
        online::machineinput mi;
        if (gone >= 0 && f > gone) {
          mi = online::inputqueue::computerinput();
        } else {
          auto it = nodes[m - 1]->sent.find(f);
          if (it != nodes[m - 1]->sent.end()) mi = it->second;
        }
        for (int p = 0; p < players; p++) in.players[man + p] = mi.players[p];
        if (mi.buttons & online::machinepause) in.pressed |= buttonpause;
        if (mi.buttons & online::machineenter) in.pressed |= buttonenter;
        if (mi.buttons & online::machinespace) in.pressed |= buttonspace;
        man += players;
      }
      in.held = in.pressed;
      in.clock = static_cast<int32_t>(static_cast<int64_t>(f) * 1000 / 60);
      g.advance(in, true);
      sums[static_cast<size_t>(f) + 1] = g.checksum();
    }
    return sums;
  }

  // Frames of machine m's confirmed checksums that differ from the
  // reference (at most a few listed).
  std::vector<int32_t> mismatches(int m, const std::vector<uint64_t>& ref) const {
    std::vector<int32_t> bad;
    for (const auto& c : nodes[m - 1]->checks) {
      if (c.first >= static_cast<int32_t>(ref.size())) continue;
      if (c.second != ref[static_cast<size_t>(c.first)] && bad.size() < 5) bad.push_back(c.first);
    }
    return bad;
  }
};
