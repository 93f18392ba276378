// The headless backend counts draw calls the way the window renderer batches
// them, so benchmarks without a display report comparable figures.
#include <gtest/gtest.h>

#include <vector>

#include "platform/backend.h"

namespace {

using plat::kBlendAlpha;
using plat::kBlendLight;
using plat::Quad;

TEST(HeadlessDrawCalls, FollowTheBatchingRules) {
  auto backend = plat::MakeHeadlessBackend();
  Quad q{};
  // Textures and blend modes taking turns still share one call.
  for (int i = 0; i < 10; i++)
    backend->DrawQuads(1 + i % 9, i % 3 ? kBlendAlpha : kBlendLight, &q, 1);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 1);

  // A call holds 4096 quads; nothing drawn, no call.
  std::vector<Quad> many(5000);
  backend->DrawQuads(1, kBlendAlpha, many.data(), 4096);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 1);
  backend->DrawQuads(1, kBlendAlpha, many.data(), 5000);
  backend->DrawQuads(2, kBlendLight, many.data(), 0);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 2);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 0);

  // Unbatched: one call per quad.
  backend->SetBatching(false);
  for (int i = 0; i < 10; i++) backend->DrawQuads(1, kBlendAlpha, &q, 1);
  backend->Present(false);
  EXPECT_EQ(backend->DrawCallsLastFrame(), 10);
}

}  // namespace
