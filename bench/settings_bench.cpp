// The settings file is read once per run and written at its end; these
// measure parsing, rewriting and serialising a typical file, a large one
// (a hand-edited file full of other sections) and the largest file read, of
// empty lines only (the worst case for a model kept line by line), all in
// memory.

#include <benchmark/benchmark.h>

#include <string>

#include "settings/ini_file.h"
#include "settings/settings_file.h"

namespace {

const char kTypicalFile[] =
    "[SETUP_DIALOG]\r\nShapeSpeed=17\r\nUseDirectX=1\r\nItem=0\r\nAll_Materials=1\r\n\r\n"
    "[BASIC_PARAMETERS]\r\nPATTERN_MODE=1\r\nSHAPE_SPEED=1.7\r\nuse_DirectX=1\r\nHeight=480\r\n"
    "Width=640\r\nRefreshRate=0\r\nBitPerPix=32\r\n\r\n[PATTERNS]\r\nPattern=0\r\nShow_All=1\r\n";

// About 1 MB: many foreign sections in front of the saver's own.
std::string LargeFile() {
  std::string text;
  for (int section = 0; text.size() < (1 << 20); ++section) {
    text += "[OTHER_" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 20; ++key) text += "key" + std::to_string(key) + "=some value\r\n";
  }
  return text + kTypicalFile;
}

void ReadWriteSerialise(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    zm::IniFile file("", text);
    zm::ReadSettings(file);
    zm::WriteSettings(file);
    benchmark::DoNotOptimize(file.Text());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_SettingsTypicalFile(benchmark::State& state) { ReadWriteSerialise(state, kTypicalFile); }
BENCHMARK(BM_SettingsTypicalFile);

void BM_SettingsLargeFile(benchmark::State& state) { ReadWriteSerialise(state, LargeFile()); }
BENCHMARK(BM_SettingsLargeFile)->Unit(benchmark::kMillisecond);

void BM_SettingsEmptyLines(benchmark::State& state) {
  ReadWriteSerialise(state, std::string(zm::kMaxIniFileBytes, '\n'));
}
BENCHMARK(BM_SettingsEmptyLines)->Unit(benchmark::kMillisecond);

}  // namespace
