#include "platform/profile/file_contents.h"

#include <fstream>
#include <random>

namespace t47 {
namespace {

namespace fs = std::filesystem;

// Unique enough that two programs replacing the same file never share a copy; the fixed name
// only under the folder's lock.
fs::path CopyPathBeside(const fs::path& path, bool folderLocked) {
    fs::path copy = path;
    if (folderLocked) {
        copy += ".t47.tmp";
    } else {
        static thread_local std::mt19937_64 random{std::random_device{}()};
        copy += ".t47-" + std::to_string(random()) + ".tmp";
    }
    return copy;
}

// The copy, written under the name that is ours; what a killed writer left there goes first.
NewFileResult WriteCopy(const fs::path& copy, std::string_view bytes, bool folderLocked) {
    if (folderLocked) {
        std::error_code ignored;
        fs::remove(copy, ignored);
    }
    return WriteNewFile(copy, bytes);
}

// Overwritten from the start and then cut to size, so that the file is never empty on the way.
bool WriteInPlace(const fs::path& path, std::string_view bytes) {
    {
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        if (!out) {
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out.fail()) {
            return false;
        }
    }
    std::error_code error;
    fs::resize_file(path, bytes.size(), error);
    return !error;
}

}  // namespace

std::optional<std::string> ReadFileContents(const fs::path& path, std::size_t sizeHint) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(std::min<std::uintmax_t>(sizeHint, kMaxProfileFileBytes), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    // The file may have grown since its size was taken.
    char more[4096];
    while (in.read(more, sizeof more) || in.gcount() > 0) {
        bytes.append(more, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxProfileFileBytes) {
            return std::nullopt;
        }
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool ReplaceFileContents(const fs::path& path, std::string_view bytes, bool folderLocked) {
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
    const fs::path copy = CopyPathBeside(target, folderLocked);
    switch (WriteCopy(copy, bytes, folderLocked)) {
        case NewFileResult::kWritten:
            break;
        case NewFileResult::kNotCreated:
            // A missing folder ends here; a folder that takes no copy is written in place.
            return exists && fs::is_regular_file(old) && WriteInPlace(target, bytes);
        case NewFileResult::kFailed:
            return false;
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

bool CreateFileContents(const fs::path& path, std::string_view bytes, bool folderLocked) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    // A file of no bytes is what a writer killed before its first write leaves: it counts as
    // missing, and is replaced whole.
    const bool empty = fs::is_regular_file(status) && fs::file_size(path, error) == 0 && !error;
    if (fs::exists(status) && !empty) {
        return false;
    }
    const fs::path copy = CopyPathBeside(path, folderLocked);
    if (WriteCopy(copy, bytes, folderLocked) != NewFileResult::kWritten) {
        return false;
    }
    if (empty) {
        fs::rename(copy, path, error);
        if (error) {
            fs::remove(copy, error);
            return false;
        }
        return true;
    }
    if (!RenameWithoutReplacing(copy, path)) {
        fs::remove(copy, error);
        return false;
    }
    return true;
}

}  // namespace t47
