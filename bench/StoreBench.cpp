// Saving and reloading a table of 26 drives natively: SaveDriveList followed
// by LoadDriveTable on a real Linux file system, against the floor of the same
// work, the same bytes written to a temporary file, flushed, renamed over the
// store and read back with plain POSIX calls. Prints operations per second as
// rows of the benchmark table.
// Usage: store_bench [FOLDER [SECONDS]]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/DriveTable.h"
#include "core/StoreFile.h"
#include "platform/FileSystem.h"

namespace {

using kestrova::ReadStatus;

bool WriteAll(int fd, const std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFlushed(const std::string& path, const std::string& contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

ReadStatus ReadAll(const std::string& path, std::string& contents) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return ReadStatus::NotFound;
    }
    contents.clear();
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return n == 0 ? ReadStatus::Ok : ReadStatus::Failed;
}

// The store's file operations on Linux. The Windows path queries answer as
// for folders that exist and have no other short form: the store code's own
// work is timed, not a stand-in's.
class PosixFileSystem final : public kestrova::FileSystem {
  public:
    std::string FindFirstName(const std::string& path, unsigned /*mask*/) override {
        const std::size_t slash = path.find_last_of('\\');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }
    unsigned ShortPathName(const std::string& path, char* buffer, unsigned size) override {
        if (path.size() >= size) {
            return static_cast<unsigned>(path.size() + 1);
        }
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<unsigned>(path.size());
    }
    unsigned DriveType(const std::string& /*drive*/) override { return 3; }
    ReadStatus ReadWholeFile(const std::string& path, std::string& contents) override {
        return ReadAll(path, contents);
    }
    bool WriteNewFile(const std::string& path, const std::string& contents) override {
        return WriteFlushed(path, contents);
    }
    bool ReplaceWith(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    bool DeleteFileAt(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
    bool CreateFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0755) == 0; }
    bool IsReadOnly(const std::string& /*path*/) override { return false; }
    std::string FailureReason() override { return {}; }
    std::string ModifiedText(const std::string& /*path*/) override { return {}; }
    std::string FolderIdentity(const std::string& path) override { return path; }
    std::string FromLegacyCodePage(const std::string& bytes) override { return bytes; }
};

// Runs `operation` for about `seconds` and returns how many ran per second;
// negative when an operation failed.
template <typename Operation>
double PerSecond(double seconds, Operation operation) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    long count = 0;
    double elapsed = 0;
    do {
        if (!operation()) {
            return -1;
        }
        ++count;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return static_cast<double>(count) / elapsed;
}

// A positive number of seconds, or nothing when the text is not one (atof
// would turn a typing error into a silent 0).
std::optional<double> SecondsArgument(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value > 0)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::optional<double> secondsArgument = argc > 2 ? SecondsArgument(argv[2]) : 3.0;
    if (!secondsArgument) {
        std::fprintf(stderr, "usage: store_bench [FOLDER [SECONDS]]\n");
        return 2;
    }
    const double seconds = *secondsArgument;
    const std::string store = folder + "/Shrt.dat";
    const std::string temporary = store + ".floor";

    PosixFileSystem fileSystem;
    kestrova::DriveTable table;
    std::string bytes;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string stored = std::string("C:\\PROJEC~1\\FOLDER") + letter;
        table.Append(kestrova::ReadStoreLine(fileSystem, std::string{letter} + ":-" + stored));
        bytes += std::string{letter} + ":-" + stored + "\r\n";
    }

    kestrova::DriveTable reloaded;
    const double kestrova = PerSecond(seconds, [&] {
        return kestrova::SaveDriveList(fileSystem, table, store) == kestrova::SaveStatus::Saved &&
               kestrova::LoadDriveTable(reloaded, fileSystem, store) == ReadStatus::Ok &&
               reloaded.Count() == 26;
    });
    std::string readBack;
    const double floor = PerSecond(seconds, [&] {
        return WriteFlushed(temporary, bytes) && ::rename(temporary.c_str(), store.c_str()) == 0 &&
               ReadAll(store, readBack) == ReadStatus::Ok && readBack.size() == bytes.size();
    });
    if (kestrova < 0 || floor < 0) {
        std::fprintf(stderr, "a save or a reload failed in %s\n", folder.c_str());
        return 1;
    }
    std::printf(
        "| SaveDriveList + reload of 26 entries, native (%s) | %.0f per second | "
        "the same bytes written, flushed, renamed and read back: %.0f per second | "
        "%.2f | |\n",
        folder.c_str(), kestrova, floor, floor / kestrova);
    ::unlink(store.c_str());
    return 0;
}
