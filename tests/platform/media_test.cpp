// Decoding and mixing, below the game-facing calls.
#include <gtest/gtest.h>

#include "platform/internal.h"
#include "platform/png_io.h"
#include "tests/platform/test_util.h"

TEST(Png, WrittenPixelsReadBackExactly) {
  ScratchFolder dir;
  const uint8_t pixels[3 * 2 * 4] = {255, 0, 0, 255, 0,   255, 0,   128, 0, 0, 255, 0,
                                     1,   2, 3, 4,   250, 251, 252, 253, 9, 8, 7,   6};
  ASSERT_TRUE(plat::WritePngRGBA(dir.File("p.png"), 3, 2, pixels));
  plat::PngImage img;
  ASSERT_TRUE(plat::ReadPngRGBA(dir.File("p.png"), &img));
  EXPECT_EQ(img.width, 3);
  EXPECT_EQ(img.height, 2);
  EXPECT_TRUE(img.hadAlpha);
  EXPECT_EQ(img.rgba, std::vector<uint8_t>(pixels, pixels + sizeof pixels));
  EXPECT_FALSE(plat::WritePngRGBA(dir.File("no/such/p.png"), 3, 2, pixels));
}

TEST(Png, BrokenFilesAreRefusedNotCrashedOn) {
  ScratchFolder dir;
  const uint8_t pixel[4] = {1, 2, 3, 4};
  ASSERT_TRUE(plat::WritePngRGBA(dir.File("ok.png"), 1, 1, pixel));
  std::string bytes = ReadBytes(dir.File("ok.png"));
  WriteBytes(dir.File("cut.png"), bytes.substr(0, bytes.size() / 2));
  WriteBytes(dir.File("text.png"), "not a png at all");
  std::string corrupt = bytes;
  for (size_t i = 40; i < corrupt.size() - 12; ++i)
    corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
  WriteBytes(dir.File("corrupt.png"), corrupt);
  plat::PngImage img;
  EXPECT_FALSE(plat::ReadPngRGBA(dir.File("cut.png"), &img));
  EXPECT_FALSE(plat::ReadPngRGBA(dir.File("text.png"), &img));
  EXPECT_FALSE(plat::ReadPngRGBA(dir.File("corrupt.png"), &img));
  EXPECT_FALSE(plat::ReadPngRGBA(dir.File("missing.png"), &img));
}

TEST(Png, TransparencyChunkCountsAsAlphaForMaskedImages) {
  ScratchFolder dir;
  const uint8_t pixel[4] = {0, 0, 0, 255};
  ASSERT_TRUE(plat::WritePngRGBA(dir.File("a.png"), 1, 1, pixel));
  std::string bytes = ReadBytes(dir.File("a.png"));
  bytes[25] = 2;  // colour type RGB: no alpha channel of its own
  WriteBytes(dir.File("rgb.png"), bytes);
  // A tRNS chunk between the header (8 + 25 bytes) and the pixels.
  const std::string trns("\0\0\0\6tRNS\0\0\0\0\0\0\0\0\0\0", 18);
  WriteBytes(dir.File("trns.png"), bytes.insert(33, trns));
  plat::PngImage img;
  ASSERT_TRUE(plat::ReadPngRGBA(dir.File("rgb.png"), &img));
  EXPECT_FALSE(img.hadAlpha);
  ASSERT_TRUE(plat::ReadPngRGBA(dir.File("trns.png"), &img));
  EXPECT_TRUE(img.hadAlpha);
}

namespace {

struct MixerFixture {
  plat::Platform p;
  Sound sound;
  Channel* Add(std::vector<int16_t> samples, float volume) {
    sound.samples = std::move(samples);
    sound.frames = sound.samples.size() / 2;
    auto ch = std::make_unique<Channel>();
    ch->sound = &sound;
    ch->volume = volume;
    ch->paused = false;
    ch->stopped = false;
    p.channels.push_back(std::move(ch));
    return p.channels.back().get();
  }
};

}  // namespace

TEST(Mixer, LoudMixesClipInsteadOfWrapping) {
  MixerFixture m;
  m.Add({20000, -20000, 100, -100}, 4.0f);
  m.Add({20000, -20000, 100, -100}, 1.0f);
  int16_t out[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  plat::MixAudio(out, 4, &m.p);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
  EXPECT_EQ(out[2], 500);
  EXPECT_EQ(out[3], -500);
  // Past the end of the sound: silence, and the channel stays at its end.
  for (int i = 4; i < 8; ++i) EXPECT_EQ(out[i], 0);
  EXPECT_EQ(m.p.channels[0]->position, 2u);
}

TEST(Mixer, LongPullsAreMixedInPieces) {
  MixerFixture m;
  std::vector<int16_t> samples(2 * 3000);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i % 1000);
  m.Add(samples, 1.0f);
  std::vector<int16_t> out(2 * 3000);
  plat::MixAudio(out.data(), 3000, &m.p);
  EXPECT_EQ(out, samples);
}
