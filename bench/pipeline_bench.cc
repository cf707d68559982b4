// Where the time of a preview goes: the whole pure pipeline and each stage
// on generated templates that look like real ones. The goals for the whole
// program are measured by bench/whole-run.sh; this shows the parts.
// Run: build/bench/pipeline_bench

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <string_view>

#include "checks/unknown_tags.h"
#include "pipeline/build_preview.h"
#include "preview/loop.h"
#include "preview/sample_table.h"
#include "preview/test_panel.h"
#include "realistic_template.h"

namespace {

const PageText& Template(int64_t kilobytes) {
  static std::map<int64_t, PageText> cache;
  PageText& bytes = cache[kilobytes];
  if (bytes.empty()) bytes = RealisticTemplate(static_cast<size_t>(kilobytes) << 10);
  return bytes;
}

void SetBytes(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes));
}

void BM_Pipeline(benchmark::State& state) {
  const PageText& page = Template(state.range(0));
  for (auto _ : state) {
    PreviewOutcome outcome = BuildPreview(page);
    if (!outcome.preview) state.SkipWithError("the template was not accepted");
    benchmark::DoNotOptimize(outcome.preview);
  }
  SetBytes(state, page.size());
}

void BM_SampleTable(benchmark::State& state) {
  const PageText& page = Template(state.range(0));
  for (auto _ : state) {
    StageResult filled = ApplySampleTable(page);
    benchmark::DoNotOptimize(filled.page.data());
  }
  SetBytes(state, page.size());
}

void BM_Loops(benchmark::State& state) {
  const PageText page = ApplySampleTable(Template(state.range(0))).page;
  for (auto _ : state) {
    StageResult filled = ExpandLoop(page, MenuLoop);
    filled = ExpandLoop(std::move(filled.page), TextListLoop);
    benchmark::DoNotOptimize(filled.page.data());
  }
  SetBytes(state, page.size());
}

void BM_UnknownTagScan(benchmark::State& state) {
  const PageText page = *BuildPreview(Template(state.range(0))).preview;
  for (auto _ : state) {
    std::u16string report = FindUnknownTags(page);
    benchmark::DoNotOptimize(report.data());
  }
  SetBytes(state, page.size());
}

// A page of nothing but one opening, again and again: "<#" opens a tag at
// every second position, "<meta" one the charset check reads.
void BM_PipelineOfOpenings(benchmark::State& state, std::string_view opening) {
  PageText page;
  while (page.size() < (static_cast<size_t>(state.range(0)) << 10))
    page += opening;
  for (auto _ : state) {
    PreviewOutcome outcome = BuildPreview(page);
    benchmark::DoNotOptimize(outcome.message.data());
  }
  SetBytes(state, page.size());
}

// Sizes in kilobytes: a typical template, and larger ones.
BENCHMARK(BM_Pipeline)->Arg(50)->Arg(1024)->Arg(32 * 1024)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleTable)->Arg(50)->Arg(32 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loops)->Arg(50)->Arg(32 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnknownTagScan)->Arg(32 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PipelineOfOpenings, tags, "<#")
    ->Arg(4 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PipelineOfOpenings, metas, "<meta")
    ->Arg(4 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
