// Why this machine is out of a series, as a value: the game chooses the words.
#pragma once

#include <cstdint>

namespace online {

enum class reason : uint8_t {
  none,
  noanswer,       // the host never answered
  hosthungup,     // the host hung up before letting this machine in
  hostleft,       // the host hung up later
  hostsilent,     // the host stopped answering
  brokenpacket,   // the host sent what cannot be read
  badpacket,      // the host broke the rules of the match
  flooded,        // the host sent more packets in a frame than any match needs
  dropped,        // the host dropped this machine from the match
  fellbehind,     // this machine fell too far behind to catch up
  outofsync,      // this machine's match differs from the host's
  otherprotocol,  // the host speaks another protocol, so runs another version
  otherversion,   // the host refused another game version, and named its own
  bodyfile,       // the host refused another body file
  full,           // no room in the lobby
  started,        // the series began without this machine
  notinmatch,     // the host started without this machine
  unknowncode,    // the meeting server knows no game by the code typed
  meetsilent,     // the meeting server does not answer
  meetbusy,       // the meeting server asks this machine to wait
  meetrefused,    // the meeting server cannot help (full, another version, forgot us)
  relayfull,      // no relay port is free for a line no router lets through
  relaysilent,    // the relay does not answer
  removed,        // the host took this machine out of the lobby
  norandom,       // the system gives no random bytes for the keys a host needs
};

}  // namespace online
