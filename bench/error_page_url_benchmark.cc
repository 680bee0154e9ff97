// Building the error page's address for a 100 KB failed address full of
// characters to escape, beside a plain copy of the same bytes as the limit.
//
//   build/test/x86_64/native/error_page_url_benchmark

#include <string>

#include "benchmark/benchmark.h"
#include "error_page_url.h"

namespace {

// 100 KB of a query-heavy address: one character in four needs escaping.
std::string QueryHeavyAddress() {
  std::string address = "http://hall.example/lobby";
  while (address.size() < 100 * 1024)
    address += "?t=5&s";
  return address;
}

void BM_ErrorPageUrlFor(benchmark::State& state) {
  const std::string address = QueryHeavyAddress();
  for (auto _ : state)
    benchmark::DoNotOptimize(error_page::ErrorPageUrlFor(address));
  state.SetBytesProcessed(state.iterations() * address.size());
}
BENCHMARK(BM_ErrorPageUrlFor);

void BM_PlainCopy(benchmark::State& state) {
  const std::string address = QueryHeavyAddress();
  for (auto _ : state) {
    std::string copy = "file:///error.html?url=" + address;
    benchmark::DoNotOptimize(copy);
  }
  state.SetBytesProcessed(state.iterations() * address.size());
}
BENCHMARK(BM_PlainCopy);

}  // namespace

BENCHMARK_MAIN();
