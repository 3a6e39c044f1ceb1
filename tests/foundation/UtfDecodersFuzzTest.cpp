// Runs the UTF decoder fuzz target as a plain test, so that its promises are checked under the
// normal test command and the sanitizers: it aborts when one is broken.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size);

namespace {

void feed(std::string const& bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<uint8_t const*>(bytes.data()), bytes.size());
}

} // namespace

TEST(UtfDecodersFuzz, EdgeBytes)
{
    std::vector<std::string> const inputs = {
        "",
        std::string(1, '\0'),
        "a\xE2\x82\xAC",          // valid
        "\xF0\x9F\x98\x80",       // the largest plane
        "\xF4\x8F\xBF\xBF",       // U+10FFFF
        "\xF4\x90\x80\x80",       // above it
        "\xF7\xBF\xBF\xBF",       // the largest four-byte value
        "\xC0\xAF\xC0\x80\xE0\x80\x80", // overlong, an overlong zero among them
        "\xED\xA0\x80\xED\xBF\xBF", // surrogates
        "\xE2\x82",               // truncated by the end
        std::string("\xE2\x00\xF0\x9F\x00", 5), // truncated by a zero
        "\x80\xBF\xF8\xFF",       // bytes that cannot lead
        std::string("\x00\xD8\x41\x00", 4), // a high surrogate and a letter in UTF-16
        std::string("\x3D\xD8\x00\xDE\x00\xDC", 6), // a pair, then a lone low surrogate
        std::string("\xFF\xFF\xFF\xFF\x00\xD8\x00\x00", 8), // UTF-32 out of range and a surrogate
    };
    for (auto const& input : inputs)
        feed(input);
    for (int byte = 0; byte < 256; ++byte)
        feed(std::string(4, static_cast<char>(byte)));
}

TEST(UtfDecodersFuzz, RandomBytes)
{
    // Bytes that matter to the decoders come up far more often than in uniform noise.
    unsigned char const interesting[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0,
                                         0xED, 0xEF, 0xF0, 0xF4, 0xF7, 0xF8, 0xFF, 0xD8, 0xDC, 0xFE};
    std::mt19937 random(16);
    std::uniform_int_distribution<int> length(0, 48);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> pick(0, sizeof interesting - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(static_cast<size_t>(length(random)), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() % 2 ? interesting[pick(random)] : any(random));
        feed(bytes);
    }
}
