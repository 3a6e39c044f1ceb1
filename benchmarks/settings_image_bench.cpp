// The settings image: taking a file's 690 bytes in (check, copy, normalise) and
// writing the stored form out again, as OPEN and SAVE do.
// Goal: loadFromMem and saveToMem together under 2 microseconds.
#include "app/editor/DravikSettingsImage.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes defaultTemplate()
{
    return Bytes(DravikDefaultTemplate, DravikDefaultTemplate + DravikDefaultTemplateSize);
}

// A file a user saved: every program type in turn, so both halves of the step
// pairs are used, with varied step counts, positions and base settings.
Bytes customFile()
{
    Bytes data = defaultTemplate();
    for (int program = 1; program <= DravikSettingsImage::programCount; ++program) {
        int const block = 36 * program - 35;
        int const type = DravikProgramTypeTable[program % DravikProgramTypeCount].value;
        int const baseSetting = DravikBaseSettingTable[program % DravikBaseSettingCount].value;
        data[block + 1] = static_cast<unsigned char>(type);
        for (int step = 0; step < DravikSettingsImage::stepsPerProgram; ++step) {
            data[block + 2 + 2 * step] = static_cast<unsigned char>((program * 7 + step * 13) % 128);
            data[block + 3 + 2 * step] = static_cast<unsigned char>(baseSetting);
        }
        data[block + 34] = static_cast<unsigned char>(2 + program % 15);
        data[block + 35] = static_cast<unsigned char>(program * 3);
    }
    data[688] = 3;
    return data;
}

void loadAndSave(benchmark::State& state, Bytes const& file)
{
    DravikSettingsImage image;
    Bytes saved(file.size());
    for (auto _ : state) {
        image.loadFromMem(file.data(), static_cast<int>(file.size()));
        image.saveToMem(saved.data(), static_cast<int>(saved.size()));
        benchmark::DoNotOptimize(saved.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(loadAndSave, default_template, defaultTemplate());
BENCHMARK_CAPTURE(loadAndSave, custom_file, customFile());

} // namespace
