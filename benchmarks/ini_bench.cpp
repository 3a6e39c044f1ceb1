// Ini files of 1 000, 10 000 and 100 000 keys in ten sections: reading,
// looking keys up, writing keys and writing the file. Goals: time grows
// linearly with the keys (the fitted complexity is printed after each set);
// a look-up does not rescan, so its cost hardly grows with the file, even
// right after a write. Replacing a key that exists does pass over its section
// once: its first line goes and the new one is appended.
#include "foundation/TIniFile.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int sectionCount = 10;

std::string sectionName(int key)
{
    return "Section" + std::to_string(key % sectionCount);
}

std::string keyName(int key)
{
    return "Key" + std::to_string(key);
}

std::string value(int key)
{
    return "value of key " + std::to_string(key) + ", a line of an everyday length";
}

// A folder of its own in TMPDIR, removed with everything in it at exit.
struct Folder
{
    std::filesystem::path path;

    Folder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "dravik-ini-bench.XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::filesystem::filesystem_error("mkdtemp", pattern,
                                                    std::error_code(errno, std::generic_category()));
        path = pattern;
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::filesystem::path const& folder()
{
    static Folder const instance;
    return instance.path;
}

// The file with that many keys, written once (by hand, not by the code measured).
Tr::BString fileWithKeys(int keys)
{
    std::filesystem::path path = folder() / ("keys" + std::to_string(keys) + ".ini");
    if (!std::filesystem::exists(path)) {
        std::ofstream out(path);
        for (int section = 0; section < sectionCount; ++section) {
            out << '[' << sectionName(section) << "]\n";
            for (int key = section; key < keys; key += sectionCount)
                out << keyName(key) << '=' << value(key) << '\n';
            out << '\n';
        }
    }
    return Tr::BString(path.c_str());
}

// Key i of an ini file in a scattered but repeatable order.
int scattered(long long i, int keys)
{
    return static_cast<int>((i * 7919) % keys);
}

void read(benchmark::State& state)
{
    int const keys = static_cast<int>(state.range(0));
    Tr::BString const file = fileWithKeys(keys);
    for (auto _ : state) {
        Tr::TIniFile ini(file);
        benchmark::DoNotOptimize(ini.ReadFromFileNoException());
    }
    state.SetComplexityN(keys);
}

// An ini file read from the file with that many keys, every section looked into.
struct LoadedIni
{
    Tr::TIniFile ini;

    explicit LoadedIni(int keys) : ini(fileWithKeys(keys))
    {
        ini.ReadFromFileNoException();
        for (int section = 0; section < sectionCount; ++section)
            ini.ValueExists(sectionName(section).c_str(), "none");
    }
};

// Section and key names of a thousand scattered keys of the file.
std::vector<std::pair<Tr::BString, Tr::BString>> scatteredNames(int keys)
{
    std::vector<std::pair<Tr::BString, Tr::BString>> names;
    for (int i = 0; i < 1000; ++i) {
        int key = scattered(i, keys);
        names.emplace_back(sectionName(key).c_str(), keyName(key).c_str());
    }
    return names;
}

// Runs the operation once per iteration on one of a thousand scattered keys of
// a file read and looked into.
template <class Operation>
void onScatteredKeys(benchmark::State& state, Operation operation)
{
    int const keys = static_cast<int>(state.range(0));
    LoadedIni loaded(keys);
    auto const names = scatteredNames(keys);
    std::size_t i = 0;
    for (auto _ : state) {
        auto const& name = names[i++ % names.size()];
        operation(loaded.ini, name.first, name.second, i);
    }
    state.SetComplexityN(keys);
}

void lookUp(benchmark::State& state)
{
    onScatteredKeys(state, [](Tr::TIniFile& ini, Tr::BString const& section, Tr::BString const& key, std::size_t) {
        benchmark::DoNotOptimize(ini.ReadString(section, key, Tr::BString()));
    });
}

// A new key written into a section, then a key of that section looked up.
void addKeyThenLookUp(benchmark::State& state)
{
    onScatteredKeys(state, [](Tr::TIniFile& ini, Tr::BString const& section, Tr::BString const& key, std::size_t i) {
        ini.WriteString(section, Tr::BString::format("New%zu", i), "1");
        benchmark::DoNotOptimize(ini.ReadString(section, key, Tr::BString()));
    });
}

// A key that exists written again with another value.
void rewriteKey(benchmark::State& state)
{
    onScatteredKeys(state, [](Tr::TIniFile& ini, Tr::BString const& section, Tr::BString const& key, std::size_t i) {
        ini.WriteInteger(section, key, static_cast<int>(i));
    });
}

// Reading the file and then looking up each of its keys once.
void readAndLookUpAll(benchmark::State& state)
{
    int const keys = static_cast<int>(state.range(0));
    Tr::BString const file = fileWithKeys(keys);
    for (auto _ : state) {
        Tr::TIniFile ini(file);
        ini.ReadFromFileNoException();
        for (int i = 0; i < keys; ++i) {
            int key = scattered(i, keys);
            benchmark::DoNotOptimize(ini.ReadString(sectionName(key).c_str(), keyName(key).c_str(), Tr::BString()));
        }
    }
    state.SetComplexityN(keys);
}

// Filling an empty ini file key by key, as a program saving its settings does.
void writeKeys(benchmark::State& state)
{
    int const keys = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Tr::TIniFile ini(Tr::BString((folder() / "written.ini").c_str()));
        for (int key = 0; key < keys; ++key)
            ini.WriteString(sectionName(key).c_str(), keyName(key).c_str(), value(key).c_str());
        benchmark::DoNotOptimize(ini.SectionExists("Section0"));
    }
    state.SetComplexityN(keys);
}

void writeFile(benchmark::State& state)
{
    int const keys = static_cast<int>(state.range(0));
    Tr::TStringList lines;
    lines.LoadFromFile(fileWithKeys(keys));
    Tr::TIniFile ini(Tr::BString((folder() / "written.ini").c_str()));
    ini.ParseStrings(lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.WriteToFile());
    state.SetComplexityN(keys);
}

void byKeys(benchmark::internal::Benchmark* b)
{
    b->ArgName("keys")->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(read)->Apply(byKeys);
BENCHMARK(lookUp)->Apply(byKeys)->Unit(benchmark::kNanosecond);
BENCHMARK(readAndLookUpAll)->Apply(byKeys);
BENCHMARK(writeKeys)->Apply(byKeys);
BENCHMARK(addKeyThenLookUp)->Apply(byKeys)->Unit(benchmark::kNanosecond);
BENCHMARK(rewriteKey)->Apply(byKeys);
BENCHMARK(writeFile)->Apply(byKeys);

} // namespace
