// The meeting datagrams: every kind at its fullest survives the trip, no
// reply outgrows a request, and malformed datagrams are refused.
#include <gtest/gtest.h>

#include "online/meetpacket.h"

using namespace online;

namespace {

meetpacket fullest(meettype type) {
  meetpacket p;
  p.type = type;
  p.key = p.token = 0x8877665544332211ull;
  const bool coded = type == meettype::hostregister || type == meettype::registered || type == meettype::lookup ||
                     type == meettype::hostclose || type == meettype::error || type == meettype::lanoffer;
  p.code = coded ? "ZZ9XA2" : "";
  p.role = meetrole::joiner;
  p.address = {0xc0a80001, 24680};
  p.localcount = maxlocals;
  for (auto& a : p.locals) a = {0x0a000002, 24680};
  p.port = 31000;
  p.reason = meeterror::relayfull;
  p.name = std::string(maxlanname, 'w');
  return p;
}

}  // namespace

TEST(MeetPacket, EveryKindRoundTripsAndNoReplyOutgrowsARequest) {
  for (int t = 1; t <= static_cast<int>(meettype::last); t++) {
    const meetpacket p = fullest(static_cast<meettype>(t));
    std::vector<uint8_t> bytes;
    encodemeet(p, bytes);
    EXPECT_TRUE(meetdatagram(bytes.data(), bytes.size()));
    EXPECT_LE(bytes.size(), meetrequestsize) << t;
    EXPECT_EQ(meetrequest(p.type), bytes.size() == meetrequestsize) << t;
    meetpacket back;
    std::string why;
    ASSERT_TRUE(decodemeet(bytes.data(), bytes.size(), back, &why)) << t << ": " << why;
    std::vector<uint8_t> again;
    encodemeet(back, again);
    EXPECT_EQ(bytes, again) << t;
    EXPECT_EQ(back.code, p.code);
  }
}

TEST(MeetPacket, MalformedDatagramsAreRefused) {
  meetpacket lookup = fullest(meettype::lookup);
  std::vector<uint8_t> good;
  encodemeet(lookup, good);
  meetpacket out;
  auto refused = [&](std::vector<uint8_t> bytes) { return !decodemeet(bytes.data(), bytes.size(), out); };

  auto b = good;
  b.pop_back();
  EXPECT_TRUE(refused(b)) << "unpadded request";
  b = good;
  b.back() = 1;
  EXPECT_TRUE(refused(b)) << "dirty padding";
  b = good;
  b[6] = 'O';
  EXPECT_TRUE(refused(b)) << "a look-alike in the code";
  b = good;
  b[4] = meetversion + 1;
  EXPECT_TRUE(refused(b)) << "another version";
  b = good;
  b[12] = maxlocals + 1;
  EXPECT_TRUE(refused(b)) << "too many local addresses";
  b = good;
  b[13] = 0;  // the first local address in 0.x.x.x
  EXPECT_TRUE(refused(b)) << "a local address nobody has";
  b = good;
  b.push_back(0);
  EXPECT_TRUE(refused(b)) << "longer than a request";

  std::vector<uint8_t> reply;
  encodemeet(fullest(meettype::relaygrant), reply);
  reply.push_back(0);
  EXPECT_TRUE(refused(reply)) << "a padded reply";
}

TEST(MeetPacket, TypedCodesAreReadWithoutLookAlikes) {
  std::string code;
  EXPECT_TRUE(parsecode(" ab-c 234", code));
  EXPECT_EQ(code, "ABC234");
  EXPECT_FALSE(parsecode("ABC23O", code));  // O is not a symbol
  EXPECT_FALSE(parsecode("ABC2341", code));
  EXPECT_FALSE(parsecode("ABC23", code));
  EXPECT_EQ(codefromindex(0), "222222");
  EXPECT_EQ(codefromindex(codespace - 1), "ZZZZZZ");
  EXPECT_EQ(codeindex(codefromindex(123456789)), 123456789u);
}
