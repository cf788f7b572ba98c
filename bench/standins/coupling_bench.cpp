// Cost of one analysis of the coupling stand-in with cuboid magnets: ten magnets, all pairs,
// and two magnets at a few gaps.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "magnet_model.h"

namespace {

using namespace tarvoquelm;

constexpr double kEdge = 0.01;          // 10 mm cubes
constexpr double kPolarization = 1.32;  // N42, T

GroupRecord record(int index, double x, double y, double z, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {"Group" + std::to_string(index), {x, y, z}, {c, -s, 0, s, c, 0, 0, 0, 1}};
}

Design cubes(int count) {
  Design design{"Cubes", {}, {}};
  for (int i = 0; i < count; ++i) {
    design.groups.push_back({"Group" + std::to_string(i),
                             {{}, Shape::kCuboid, {kEdge, kEdge, kEdge}, {0, 0, kPolarization}}});
  }
  return design;
}

void run(benchmark::State& state, const Design& design, const std::vector<GroupRecord>& groups) {
  std::vector<ForceRecord> results;
  for (auto _ : state) {
    benchmark::DoNotOptimize(analyze(design, groups, &results));
    benchmark::ClobberMemory();
  }
}

// Ten cubes on a 5 x 2 grid of 25 mm pitch (15 mm gaps), each turned a little about z:
// 90 pair integrations.
void BM_AnalyzeTenCuboids(benchmark::State& state) {
  std::vector<GroupRecord> groups;
  for (int i = 0; i < 10; ++i) {
    groups.push_back(record(i, 0.025 * (i % 5), 0.025 * (i / 5), 0.0003 * i, 0.05 * i));
  }
  run(state, cubes(10), groups);
}
BENCHMARK(BM_AnalyzeTenCuboids)->Unit(benchmark::kMicrosecond);

// Two stacked cubes, the upper shifted by 1.7 mm and turned by 0.1 rad, with a gap of
// range(0) micrometres between them: two pair integrations.
void BM_AnalyzeTwoCuboids(benchmark::State& state) {
  const double gap = state.range(0) * 1e-6;
  run(state, cubes(2), {record(0, 0, 0, 0, 0), record(1, 0.0017, 0.0, kEdge + gap, 0.1)});
}
BENCHMARK(BM_AnalyzeTwoCuboids)->Arg(40000)->Arg(1000)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
