// Runs a fuzz target, built without libFuzzer, over the empty input and every file
// of the corpus folders given on the command line. A crash or a failed check
// aborts; a missing or empty folder fails, so a target cannot lose its seeds unseen.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size);
// Set-up of a target that needs one, run first as libFuzzer does.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusFiles(fs::path const& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file())
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

void replay(fs::path const& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::uint8_t const none = 0;
    LLVMFuzzerTestOneInput(&none, 0);
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files = corpusFiles(argv[i]);
        if (files.empty()) {
            std::fprintf(stderr, "no corpus files in %s\n", argv[i]);
            return 1;
        }
        for (fs::path const& file : files)
            replay(file);
        std::printf("%zu inputs of %s replayed\n", files.size(), argv[i]);
    }
    return 0;
}
