// What the settings store costs a caller: each call connects to the hive file afresh, and each
// write is a transaction synced to disk.
#include <benchmark/benchmark.h>

#include "config/SettingsStore.h"
#include "platform/Registry.h"
#include "tests/support/TestFolders.h"

namespace {

// A config folder of the benchmark's own, removed afterwards; XDG_CONFIG_HOME is put back.
using ConfigFolder = brelinde::test_support::TempConfigHome;

// A show's start: open the settings key, test and read "Effect", close.
void BM_ReadStoredEffect(benchmark::State& state) {
  ConfigFolder folder("brelinde-regbench");
  brelinde::SaveStoredSettings(std::nullopt, 7);
  for (auto _ : state) benchmark::DoNotOptimize(brelinde::ReadStoredEffect());
}
BENCHMARK(BM_ReadStoredEffect)->Unit(benchmark::kMicrosecond);

// The dialog's OK: two synced writes.
void BM_SaveStoredSettings(benchmark::State& state) {
  ConfigFolder folder("brelinde-regbench");
  int32_t effect = 0;
  for (auto _ : state) brelinde::SaveStoredSettings(1, effect++ % 25);
}
BENCHMARK(BM_SaveStoredSettings)->Unit(benchmark::kMicrosecond);

// A key of other software that is not there (no hive file at all): nothing is created.
void BM_OpenMissingKeyWithoutHive(benchmark::State& state) {
  ConfigFolder folder("brelinde-regbench");
  for (auto _ : state) {
    brelinde::TRegistry reg;
    benchmark::DoNotOptimize(reg.OpenKey("Control Panel\\desktop", false));
  }
}
BENCHMARK(BM_OpenMissingKeyWithoutHive)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
