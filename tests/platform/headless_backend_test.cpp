// The headless backend counts draw calls the way the window renderer batches
// them, so benchmarks without a display report comparable figures.
#include <gtest/gtest.h>

#include "platform/backend.h"

namespace {

using plat::kBlendAlpha;
using plat::kBlendLight;
using plat::Quad;

TEST(HeadlessDrawCalls, FollowTheBatchingRules) {
  auto backend = plat::MakeHeadlessBackend();
  Quad q{};
  // Two textures taking turns, as a body's balls and links do: one call.
  for (int i = 0; i < 10; i++) backend->DrawQuads(1 + i % 2, kBlendAlpha, &q, 1);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 1);

  // A ninth texture, and every change of blend mode, start a new call.
  for (int t = 1; t <= 9; t++) backend->DrawQuads(t, kBlendAlpha, &q, 1);
  backend->DrawQuads(1, kBlendLight, &q, 1);
  backend->DrawQuads(1, kBlendAlpha, &q, 1);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 4);

  // Unbatched: one call per quad.
  backend->SetBatching(false);
  for (int i = 0; i < 10; i++) backend->DrawQuads(1, kBlendAlpha, &q, 1);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 10);
}

}  // namespace
