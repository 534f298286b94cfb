// The input pipeline's work per frame: records to touches, scroll suppression, pointer and
// button, and the gesture engine, for one to three resting fingers.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "GestureEngine/GestureEngine.h"
#include "Platform/MultitouchProvider.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/input/InputPipeline.h"

namespace {

void BM_InputPipelineHandleFrame(benchmark::State& state) {
  auto sim = tactora::sim::SimPlatform::install(1000.0);
  auto engine = std::make_shared<tactora::GestureEngine>(tactora::RecognitionConfig{},
                                                         [&] { return sim->timeline().now(); });
  std::size_t gestures = 0;
  auto pipeline =
      tactora::InputPipeline::create(engine, [&](const tactora::GestureEvent&) { ++gestures; });

  const auto fingers = static_cast<int>(state.range(0));
  std::vector<unsigned char> still(static_cast<std::size_t>(fingers) * MT_CONTACT_RECORD_SIZE);
  std::vector<unsigned char> nudged(still.size());
  for (int i = 0; i < fingers; ++i) {
    const float x = 0.3f + 0.2f * static_cast<float>(i);
    const auto offset = static_cast<std::size_t>(i) * MT_CONTACT_RECORD_SIZE;
    MTWriteContactRecord(&still[offset], i + 1, 4, x, 0.5f, 0, 0, 1);
    MTWriteContactRecord(&nudged[offset], i + 1, 4, x + 0.0005f, 0.5f, 0.05f, 0, 1);
  }
  double frameTime = 0;
  for (auto _ : state) {
    sim->timeline().advanceBy(0.01);
    frameTime += 0.01;
    pipeline->handleFrame(fingers, (state.iterations() % 2) ? nudged.data() : still.data(),
                          frameTime);
  }
  benchmark::DoNotOptimize(gestures);
}
BENCHMARK(BM_InputPipelineHandleFrame)->Arg(1)->Arg(2)->Arg(3);

}  // namespace

BENCHMARK_MAIN();
