// Tr::BString against std::string, operation by operation; scripts/bench prints
// the ratio of each pair. Goals: a copy of a shared BString at least as fast as
// a std::string copy of a short text; no operation more than 2x slower than its
// std::string counterpart.
#include "foundation/BString.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

namespace {

// Texts of the lengths the editor handles: a 13-byte title fits std::string's
// inline buffer, a 100-byte path does not.
char const sample[] = "Dravik MIDI T - /home/musician/Documents/Dravik MIDI T/"
                      "Live set with the long name, second version.syx";
static_assert(sizeof sample > 100, "the sample holds the longest text measured");

template <class S>
S text(benchmark::State const& state)
{
    return S(std::string(sample, static_cast<std::size_t>(state.range(0))).c_str());
}

// The same text in another case, for comparisons that must read every byte.
template <class S>
S otherCase(benchmark::State const& state)
{
    std::string other(sample, static_cast<std::size_t>(state.range(0)));
    std::transform(other.begin(), other.end(), other.begin(), [](unsigned char c) {
        return static_cast<char>(std::islower(c) ? std::toupper(c) : std::tolower(c));
    });
    return S(other.c_str());
}

int compareIgnoringCase(Tr::BString const& a, Tr::BString const& b)
{
    return a.compareWith(b, 1);
}

// What code on std::string writes for lack of a member: one pass, upper-cased
// bytes, a text that ends first sorts first.
int compareIgnoringCase(std::string const& a, std::string const& b)
{
    std::size_t const n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int x = std::toupper(static_cast<unsigned char>(a[i]));
        int y = std::toupper(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <class S>
S stepLabel(int step);

template <>
Tr::BString stepLabel<Tr::BString>(int step)
{
    return Tr::BString::format("Step %d:", step);
}

template <>
std::string stepLabel<std::string>(int step)
{
    char buffer[32];
    int n = std::snprintf(buffer, sizeof buffer, "Step %d:", step);
    return std::string(buffer, static_cast<std::size_t>(n));
}

template <class S>
void copy(benchmark::State& state)
{
    S const original = text<S>(state);
    for (auto _ : state) {
        S duplicate(original);
        benchmark::DoNotOptimize(duplicate);
    }
}

// Appends 8-byte pieces to an empty string, as a line or a message is built.
template <class S>
void append(benchmark::State& state)
{
    S const piece("step 12;");
    for (auto _ : state) {
        S built;
        for (int i = 0; i < state.range(0); ++i)
            built += piece;
        benchmark::DoNotOptimize(built);
    }
}

template <class S>
void compareCaseInsensitive(benchmark::State& state)
{
    S const a = text<S>(state);
    S const b = otherCase<S>(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(compareIgnoringCase(a, b));
}

template <class S>
void format(benchmark::State& state)
{
    int step = 0;
    for (auto _ : state) {
        S label = stepLabel<S>(++step % 16);
        benchmark::DoNotOptimize(label);
    }
}

void byLength(benchmark::internal::Benchmark* b)
{
    b->ArgName("bytes")->Arg(13)->Arg(100);
}

void byPieces(benchmark::internal::Benchmark* b)
{
    b->ArgName("pieces")->Arg(3)->Arg(64);
}

BENCHMARK_TEMPLATE(copy, Tr::BString)->Apply(byLength);
BENCHMARK_TEMPLATE(copy, std::string)->Apply(byLength);
BENCHMARK_TEMPLATE(append, Tr::BString)->Apply(byPieces);
BENCHMARK_TEMPLATE(append, std::string)->Apply(byPieces);
BENCHMARK_TEMPLATE(compareCaseInsensitive, Tr::BString)->Apply(byLength);
BENCHMARK_TEMPLATE(compareCaseInsensitive, std::string)->Apply(byLength);
BENCHMARK_TEMPLATE(format, Tr::BString);
BENCHMARK_TEMPLATE(format, std::string);

} // namespace
