// One store entry: taken apart, put together again from its letter and
// folder, and read back as a drive row.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/DriveTable.h"
#include "core/PathNames.h"
#include "core/StoreEntry.h"
#include "core/StoreFile.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace {

// GetShortPath's limit: a short form of this many characters or more is not given.
constexpr std::size_t kShortPathLimit = 164;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string entry(reinterpret_cast<const char*>(data), size);
    kestrova::testing::FakeFileSystem fileSystem;
    kestrova::fuzz::AddSampleTree(fileSystem);

    // The letter is the text before the first "-", the folder all after it.
    const kestrova::SplitEntry split = kestrova::SplitStoreEntry(entry);
    KESTROVA_FUZZ_REQUIRE(split.letter.find('-') == std::string::npos, entry);
    if (split.hasSeparator) {
        KESTROVA_FUZZ_REQUIRE(split.letter + "-" + split.storedFolder == entry, entry);
    } else {
        KESTROVA_FUZZ_REQUIRE(entry.find('-') == std::string::npos, entry);
        KESTROVA_FUZZ_REQUIRE(split.letter == entry && split.storedFolder.empty(), entry);
    }
    const kestrova::DriveRow asRow{split.letter, {}, split.storedFolder, split.hasSeparator, false};
    KESTROVA_FUZZ_REQUIRE(asRow.MountEntry() == entry, entry);

    // The folder part taken as a long folder, the way a new drive's folder
    // arrives: its stored form is the quoted network path or the short form.
    const std::string& folder = split.storedFolder;
    const std::string stored = kestrova::StoredFolderFor(fileSystem, folder);
    if (kestrova::IsUncFolder(folder)) {
        KESTROVA_FUZZ_REQUIRE(stored == "\"" + folder + "\"", folder);
        KESTROVA_FUZZ_REQUIRE(kestrova::IsQuotedUncFolder(stored), stored);
    } else if (!stored.empty()) {
        KESTROVA_FUZZ_REQUIRE(stored.size() < kShortPathLimit, stored);
        KESTROVA_FUZZ_REQUIRE(fileSystem.Exists(stored), stored);
        KESTROVA_FUZZ_REQUIRE(kestrova::GetShortPath(fileSystem, stored) == stored, stored);
        KESTROVA_FUZZ_REQUIRE(!kestrova::IsQuotedUncFolder(stored), stored);
    }

    // Composed and split again: the same letter and that stored form.
    const std::string composed = kestrova::ComposeStoreEntry(fileSystem, split.letter, folder);
    KESTROVA_FUZZ_REQUIRE(composed == split.letter + "-" + stored, composed);
    const kestrova::SplitEntry again = kestrova::SplitStoreEntry(composed);
    KESTROVA_FUZZ_REQUIRE(
        again.hasSeparator && again.letter == split.letter && again.storedFolder == stored,
        composed);

    // Read back as a row, the entry shows the folder it was composed from: a
    // network folder as given, any other as the long form of the folder.
    const kestrova::DriveRow row = kestrova::ReadStoreLine(fileSystem, composed);
    KESTROVA_FUZZ_REQUIRE(row.letter == split.letter && row.storedFolder == stored &&
                              row.hasSeparator && row.MountEntry() == composed,
                          composed);
    if (kestrova::IsUncFolder(folder)) {
        if (folder.find('"') == std::string::npos) {
            KESTROVA_FUZZ_REQUIRE(row.folder == folder, composed + " shows " + row.folder);
        }
    } else if (!stored.empty()) {
        const std::string longForm = kestrova::GetLongName(fileSystem, folder);
        KESTROVA_FUZZ_REQUIRE(row.folder == longForm,
                              composed + " shows " + row.folder + ", not " + longForm);
    } else {
        KESTROVA_FUZZ_REQUIRE(row.folder.empty(), composed + " shows " + row.folder);
    }
    return 0;
}
