// Runs a fuzz target over saved inputs without libFuzzer, so that every build replays the
// corpus: each argument is an input file or a folder of them. A failed check aborts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        if (fs::is_directory(path)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    inputs.push_back(entry.path());
                }
            }
        } else {
            inputs.push_back(path);
        }
    }
    // An empty corpus would pass without testing anything.
    if (inputs.empty()) {
        std::cerr << "no inputs\n";
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            std::cerr << "cannot read " << input.string() << "\n";
            return 1;
        }
        const std::vector<char> chars{std::istreambuf_iterator<char>(file),
                                      std::istreambuf_iterator<char>()};
        const std::vector<std::uint8_t> bytes(chars.begin(), chars.end());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::cout << "replayed " << inputs.size() << " inputs\n";
    return 0;
}
