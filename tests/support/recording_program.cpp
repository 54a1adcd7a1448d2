// A stand-in for a desktop's tools (kwriteconfig5, dbus-send, gsettings), which are not on
// every machine: linked under the tool's name into a folder, it adds its name and arguments as
// one line to the file "runs" there and ends with status 0. When "<name>.fails" is there too it
// writes that file's text to standard error and ends with status 1 instead; when
// "<name>.hangs" is there it waits a minute first.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 1) {
        return 2;
    }
    const std::filesystem::path self = argv[0];
    const std::filesystem::path folder = self.parent_path();
    const std::string name = self.filename().string();
    if (std::filesystem::exists(folder / (name + ".hangs"))) {
        std::this_thread::sleep_for(std::chrono::minutes(1));
    }
    if (std::filesystem::exists(folder / (name + ".fails"))) {
        std::ifstream complaint(folder / (name + ".fails"));
        std::cerr << complaint.rdbuf();
        return 1;
    }
    std::ofstream runs(folder / "runs", std::ios::app);
    runs << name;
    for (int i = 1; i < argc; ++i) {
        runs << ' ' << argv[i];
    }
    runs << '\n';
    return 0;
}
