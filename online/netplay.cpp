#include "online/netplay.h"

#include "online/address.h"
#include "online/enet_transport.h"

namespace online {

namespace {

// A game code is typed with no dot or colon; anything else is an address.
bool iscode(const std::string& typed) {
  std::string code;
  return typed.find_first_of(".:") == std::string::npos && parsecode(typed, code);
}

}  // namespace

std::unique_ptr<netplay> netplay::open(const netplayoptions& given, uint32_t nowms, std::string* why) {
  netplayoptions o = given;
  uint64_t meetkey = 0;
  // Nobody may guess the keys of the direct lines or of the room from what
  // they see: without the system's random bytes there is no safe hosting.
  if (o.host && ((o.identity.secret == 0 && !drawkey(o.identity.secret)) || !drawkey(meetkey))) {
    if (why) *why = "THIS MACHINE GIVES NO RANDOM NUMBERS TO MAKE SAFE KEYS: IT CANNOT HOST";
    return nullptr;
  }
  std::unique_ptr<enettransport> net;
  std::unique_ptr<meeting> meet;
  std::string problem;
  meetaddress server;
  const bool named = !o.meet.empty() && meeting::findserver(o.meet, server, &problem);
  if (o.host) {
    net = enettransport::listen(o.port, why, o.only);
    // Without a server the meeting still answers the local network.
    if (net) meet = std::make_unique<meeting>(*net, named ? server : meetaddress(), meetkey, nowms);
  } else if (iscode(o.address)) {
    std::string code;
    parsecode(o.address, code);
    if (o.meet.empty()) {
      if (why) *why = "GAME CODES NEED A MEETING SERVER: START WITH --meet HOST, OR TYPE THE HOST'S ADDRESS";
      return nullptr;
    }
    if (!named) {
      if (why) *why = problem;
      return nullptr;
    }
    net = enettransport::unbound(why, o.only);
    if (net) meet = std::make_unique<meeting>(*net, server, code, nowms);
  } else {
    std::string hostname;
    uint16_t port = 0;
    if (!parseaddress(o.address, hostname, port, why)) return nullptr;
    net = enettransport::join(hostname, port, why, o.only);
  }
  if (!net) return nullptr;
  transport& t = *net;
  auto p = std::make_unique<netplay>(t, o, nowms, meet != nullptr && !o.host);
  p->owned_ = std::move(net);
  p->meet_ = std::move(meet);
  p->meetproblem_ = problem;
  return p;
}

netplay::netplay(transport& net, const netplayoptions& o, uint32_t nowms, bool meetfirst) : options_(o) {
  net_ = &net;
  if (o.simulate) {
    // Its own seed: the game's random numbers never see the network's.
    sim_ = std::make_unique<netsim>(net, o.conditions, 0x6e657473696dull + nowms);
    net_ = sim_.get();
  }
  players_ = o.identity.players;
  if (o.host) {
    lobbyidentity me = o.identity;
    if (me.secret == 0 && !drawkey(me.secret)) {
      failure_ = reason::norandom;  // no lobby: keys anyone could guess are no keys
      return;
    }
    host_ = std::make_unique<lobbyhost>(*net_, me);
  } else if (!meetfirst) {
    join_ = std::make_unique<lobbyjoin>(*net_, o.identity, nowms);
  }
}

netplay::~netplay() { close(); }

uint16_t netplay::port() const { return owned_ ? owned_->port() : 0; }

netplay::meetstate netplay::meetstatus() const {
  if (!host_ || !meet_ || options_.meet.empty() || !meetproblem_.empty()) return nomeeting;
  if (!meet_->code().empty() && !meet_->silent()) return registered;
  return meet_->silent() ? silent : asking;
}

const std::vector<rosterentry>& netplay::roster() const {
  static const std::vector<rosterentry> none;
  if (host_) return host_->roster();
  return join_ ? join_->roster() : none;
}

bool netplay::setplayers(int players) {
  if (host_) return host_->setplayers(players);
  players_ = players;
  if (join_) join_->setplayers(players);
  return true;
}

void netplay::lobbyevents() {
  lobbyevent e;
  while (host_ ? host_->pollevent(e) : join_ && join_->pollevent(e)) {
    netnews n;
    n.what = e.what == lobbyevent::joined ? netnews::joined : netnews::left;
    n.machine = e.machine;
    tell(n);
  }
}

// The meeting server's part: the host's code and introductions; a joiner's
// lookup, punches and relay until the host is dialled.
void netplay::meetinglobby(uint32_t nowms) {
  if (!meet_) return;
  if (!host_ && !join_) owned_->service(nowms);
  meet_->service(nowms);
  if (meet_->code() != announcedcode_) {
    announcedcode_ = meet_->code();
    netnews n;
    n.what = netnews::gotcode;
    n.code = announcedcode_;
    tell(n);
  }
  if (host_ || join_) return;
  if (meet_->failure() != reason::none) {
    failure_ = meet_->failure();
  } else if (meet_->dialled() >= 0) {
    lobbyidentity id = options_.identity;
    id.players = players_;
    join_ = std::make_unique<lobbyjoin>(*net_, id, nowms);
  }
}

// `net route` for every line that came up or changed: the host's to each
// joiner, a joiner's to the host.
void netplay::routelines() {
  auto announce = [this](int machine, linekind k) {
    if (k == linekind::unknown || routes_[machine] == k) return;
    routes_[machine] = k;
    netnews n;
    n.what = netnews::lineup;
    n.machine = machine;
    n.route = k;
    tell(n);
  };
  if (host_) {
    for (const rosterentry& e : host_->roster())
      if (e.machine != 1) announce(e.machine, e.route);
  } else if (join_ && join_->status() == lobbyjoin::inlobby) {
    announce(1, net_->route(join_->hostpeer()));
  }
}

void netplay::servicelobby(uint32_t nowms) {
  if (started_ || failure_ != reason::none) return;
  meetinglobby(nowms);
  if (failure_ != reason::none) return;
  if (host_) {
    host_->service(nowms);
  } else if (join_) {
    join_->service(nowms);
    if (join_->status() == lobbyjoin::failed) failure_ = join_->failure();
    if (join_->status() == lobbyjoin::started) {
      start_ = join_->start();
      started_ = true;
    }
  }
  lobbyevents();
  routelines();
}

void netplay::startseries(uint64_t seed, const std::vector<uint8_t>& settings, uint32_t nowms) {
  if (!host_ || started_) return;
  start_ = host_->start(seed, settings, 2, nowms);
  started_ = true;
  // Nobody joins a started series: the code goes.
  if (meet_) meet_->close();
}

int netplay::men() const {
  int n = 0;
  for (int i = 0; i < start_.setup.machines; i++) n += start_.setup.roster[i].players;
  return n;
}

void netplay::beginmatch(rollbackgame& game, uint32_t nowms) {
  if (!started_) return;
  sessionsetup setup = start_.setup;
  setup.epoch = static_cast<uint8_t>(++epoch_);
  // Joiners dial each other for the first match; later ones take over the
  // lines that were made.
  setup.directlines = epoch_ == 0;
  std::unique_ptr<session> previous = std::move(session_);
  session_ = std::make_unique<session>(game, *net_, setup);
  for (int i = 0; i < setup.machines; i++) {
    const int m = setup.roster[i].machine;
    if (m == setup.me) continue;
    int peer = -1;
    if (previous) {
      peer = previous->peerof(m);
    } else if (host_) {
      peer = host_->peerof(m);
    } else if (m == 1) {
      peer = join_->hostpeer();
    }
    if (peer >= 0) session_->link(m, peer, nowms);
  }
  for (int m : departed_) session_->gone(m);
  netnews n;
  n.what = netnews::start;
  n.men = men();
  tell(n);
}

session::result netplay::tick(const machineinput& local, uint32_t nowms, bool play) {
  if (!session_) {
    // Started, the first match not begun: what waits to leave still leaves;
    // what arrives waits for the match.
    net_->service(nowms);
    return session::waited;
  }
  const session::result r = session_->tick(local, nowms, play);
  sessionevent e;
  while (session_->pollevent(e)) {
    netnews n;
    n.machine = e.machine;
    n.frame = e.frame;
    n.checksum = e.checksum;
    switch (e.what) {
      case sessionevent::check:
        n.what = netnews::check;
        tell(n);
        break;
      case sessionevent::left:
        departed_.push_back(e.machine);
        n.what = netnews::left;
        tell(n);
        break;
      case sessionevent::desync:
        n.what = netnews::desync;
        tell(n);
        failure_ = reason::outofsync;
        break;
      case sessionevent::hostleft:
        failure_ = e.why;
        break;
    }
  }
  return r;
}

bool netplay::pollnews(netnews& out) {
  if (news_.empty()) return false;
  out = news_.front();
  news_.pop_front();
  return true;
}

const std::string& netplay::hostversion() const {
  static const std::string none;
  return join_ ? join_->hostversion() : none;
}

void netplay::close() {
  if (session_) session_->quit();
  if (host_) host_->close();
  if (join_) join_->close();
  if (meet_) meet_->close();
  // The goodbyes leave before the sockets close.
  if (sim_) sim_->flush();
}

}  // namespace online
