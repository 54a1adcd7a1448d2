#include "platform/profile/file_contents.h"

#include <fstream>
#include <random>

namespace t47 {
namespace {

namespace fs = std::filesystem;

// Unique enough that two programs replacing the same file never share a copy.
fs::path CopyPathBeside(const fs::path& path) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    fs::path copy = path;
    copy += ".t47-" + std::to_string(random()) + ".tmp";
    return copy;
}

}  // namespace

std::optional<std::string> ReadFileContents(const fs::path& path, std::size_t sizeHint) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(sizeHint, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    // The file may have grown since its size was taken.
    char more[4096];
    while (in.read(more, sizeof more) || in.gcount() > 0) {
        bytes.append(more, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool ReplaceFileContents(const fs::path& path, std::string_view bytes) {
    std::error_code error;
    fs::path target = path;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        target = fs::weakly_canonical(path, error);
        if (error) {
            return false;
        }
    }
    const fs::file_status old = fs::status(target, error);
    const bool exists = fs::exists(old);
    if (exists && (old.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return false;
    }
    const fs::path copy = CopyPathBeside(target);
    {
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;  // a missing folder ends here
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out.fail()) {
            fs::remove(copy, error);
            return false;
        }
    }
    if (exists) {
        fs::permissions(copy, old.permissions(), error);
    }
    fs::rename(copy, target, error);
    if (error) {
        fs::remove(copy, error);
        return false;
    }
    return true;
}

}  // namespace t47
