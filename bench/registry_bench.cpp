// What the settings store costs a caller: each call connects to the hive file afresh, and each
// write is a transaction synced to disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "config/SettingsStore.h"
#include "platform/Registry.h"

namespace {

// A config folder of the benchmark's own, removed afterwards.
class ConfigFolder {
 public:
  ConfigFolder() {
    char templ[] = "/tmp/brelinde-regbench-XXXXXX";
    dir_ = mkdtemp(templ);
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  ~ConfigFolder() {
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(dir_);
  }

 private:
  std::string dir_;
};

// A show's start: open the settings key, test and read "Effect", close.
void BM_ReadStoredEffect(benchmark::State& state) {
  ConfigFolder folder;
  brelinde::SaveStoredSettings(std::nullopt, 7);
  for (auto _ : state) benchmark::DoNotOptimize(brelinde::ReadStoredEffect());
}
BENCHMARK(BM_ReadStoredEffect)->Unit(benchmark::kMicrosecond);

// The dialog's OK: two synced writes.
void BM_SaveStoredSettings(benchmark::State& state) {
  ConfigFolder folder;
  int32_t effect = 0;
  for (auto _ : state) brelinde::SaveStoredSettings(1, effect++ % 25);
}
BENCHMARK(BM_SaveStoredSettings)->Unit(benchmark::kMicrosecond);

// A key of other software that is not there (no hive file at all): nothing is created.
void BM_OpenMissingKeyWithoutHive(benchmark::State& state) {
  ConfigFolder folder;
  for (auto _ : state) {
    brelinde::TRegistry reg;
    benchmark::DoNotOptimize(reg.OpenKey("Control Panel\\desktop", false));
  }
}
BENCHMARK(BM_OpenMissingKeyWithoutHive)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
