#include "app/networds.h"

std::string networds(online::reason why, const std::string& hostversion, const std::string& ours) {
  using online::reason;
  switch (why) {
    case reason::none:
      return "";
    case reason::noanswer:
      return "NO ANSWER FROM THE HOST";
    case reason::hosthungup:
      return "THE HOST HUNG UP";
    case reason::hostleft:
      return "THE HOST LEFT";
    case reason::hostsilent:
      return "THE HOST STOPPED ANSWERING";
    case reason::brokenpacket:
      return "THE HOST SENT A BROKEN PACKET";
    case reason::badpacket:
      return "THE HOST SENT A BAD PACKET";
    case reason::flooded:
      return "THE HOST FLOODED US";
    case reason::dropped:
      return "THE HOST DROPPED THIS MACHINE";
    case reason::fellbehind:
      return "THIS MACHINE FELL TOO FAR BEHIND";
    case reason::outofsync:
      return "OUT OF SYNC";
    case reason::otherprotocol:
      return "THE HOST RUNS A DIFFERENT GAME VERSION";
    case reason::otherversion:
      // A player who runs another version is told which one to get.
      return "THE HOST RUNS GAME VERSION " + hostversion + ", THIS IS " + ours;
    case reason::bodyfile:
      return "THE HOST HAS A DIFFERENT BODY FILE";
    case reason::full:
      return "THE LOBBY IS FULL";
    case reason::started:
      return "THE GAME HAS ALREADY STARTED";
    case reason::notinmatch:
      return "THE HOST STARTED WITHOUT THIS MACHINE";
    case reason::unknowncode:
      return "NO GAME HAS THAT CODE: CHECK IT WITH THE HOST";
    case reason::meetsilent:
      return "THE MEETING SERVER DOES NOT ANSWER: CHECK THE CONNECTION, OR TYPE THE HOST'S ADDRESS";
    case reason::meetbusy:
      return "THE MEETING SERVER IS BUSY: TRY AGAIN IN A MINUTE";
    case reason::meetrefused:
      return "THE MEETING SERVER CANNOT HELP: TRY AGAIN LATER, OR TYPE THE HOST'S ADDRESS";
    case reason::relayfull:
      return "THE ROUTERS NEED THE MEETING SERVER'S RELAY, AND IT IS FULL: TRY AGAIN LATER";
    case reason::relaysilent:
      return "THE MEETING SERVER'S RELAY DOES NOT ANSWER: TRY AGAIN";
    case reason::removed:
      return "THE HOST REMOVED THIS MACHINE";
    case reason::norandom:
      return "THIS MACHINE GIVES NO RANDOM NUMBERS TO MAKE SAFE KEYS: IT CANNOT HOST";
  }
  return "THE CONNECTION WAS LOST";
}
