#include "tests/support/fakes/FakeFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kestrova::testing {

std::string FakeFileSystem::Key(const std::string& text) {
    std::string key = text;
    std::ranges::transform(key, key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

void FakeFileSystem::Add(const std::string& path, const std::string& shortName, unsigned attributes,
                         const std::string& contents) {
    drives_.try_emplace(Key(path.substr(0, 2)), 3, "");  // a fixed drive unless there is one
    for (std::size_t slash = path.find('\\', 3); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
        if (!Resolve(path.substr(0, slash))) {
            Add(path.substr(0, slash), {}, kAttributeDirectory, {});
        }
    }
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    nodes_[Key(path)] = {name, shortName.empty() ? name : shortName, contents, attributes};
}

std::optional<std::string> FakeFileSystem::Resolve(const std::string& path) const {
    if (path.size() < 2 || path[1] != ':' || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    const auto drive = drives_.find(Key(path.substr(0, 2)));
    if (drive == drives_.end() || drive->second.first == kDriveNoRootDir ||
        (path.size() > 2 && path[2] != '\\')) {
        return std::nullopt;  // no volume, or a path relative to the drive's current folder
    }
    std::string key = drive->first;
    // Each component, by its long or short name; an empty one (a doubled or final \) names nothing.
    for (std::size_t start = 3; start < path.size() || key.size() > 2;) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string part = Key(path.substr(start, end - start));
        const auto child = std::find_if(nodes_.begin(), nodes_.end(), [&](const auto& entry) {
            return entry.first.rfind(key + "\\", 0) == 0 &&
                   entry.first.find('\\', key.size() + 1) == std::string::npos &&
                   (Key(entry.second.name) == part || Key(entry.second.shortName) == part);
        });
        if (part.empty() || child == nodes_.end()) {
            return std::nullopt;
        }
        key = child->first;
        if (end == path.size()) {
            break;
        }
        start = end + 1;
    }
    return key;
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) {
    const std::optional<std::string> key = Resolve(path);
    return key && nodes_.contains(*key) ? &nodes_.at(*key) : nullptr;
}

std::optional<std::string> FakeFileSystem::Writable(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 == path.size()) {
        return std::nullopt;
    }
    const std::optional<std::string> folder = Resolve(path.substr(0, slash == 2 ? 3 : slash));
    const Node* parent = Find(path.substr(0, slash == 2 ? 3 : slash));
    const Node* node = Find(path);
    if (!folder || (parent != nullptr && (!parent->Folder() || parent->readOnly)) ||
        (node != nullptr && (node->Folder() || node->readOnly || node->unreadable))) {
        return std::nullopt;
    }
    return Resolve(path).value_or(*folder + "\\" + Key(path.substr(slash + 1)));
}

std::string FakeFileSystem::Contents(const std::string& path) {
    return Find(path) != nullptr ? Find(path)->contents : std::string{};
}

void FakeFileSystem::Remove(const std::string& path) {
    const std::optional<std::string> key = Resolve(path);
    std::erase_if(nodes_, [&](const auto& entry) {
        return key && (entry.first == *key || entry.first.rfind(*key + "\\", 0) == 0);
    });
}

std::string FakeFileSystem::FindFirstName(const std::string& path, unsigned mask) {
    queries_.push_back(path);
    const std::optional<std::string> key = Resolve(path);
    const Node* node = Find(path);
    const unsigned attributes = node != nullptr ? node->attributes : kAttributeDirectory;
    const unsigned masked = kAttributeHidden | kAttributeSystem | kAttributeDirectory;
    if (!key || (attributes & masked & ~mask) != 0) {
        return {};
    }
    return node != nullptr ? node->name : path.substr(0, 2) + "\\";
}

unsigned FakeFileSystem::ShortPathName(const std::string& path, char* buffer, unsigned size) {
    const std::optional<std::string> key = Resolve(path);
    if (!key) {
        return 0;
    }
    std::string shortPath = path.substr(0, 2) + (key->size() == 2 ? "\\" : "");
    for (std::size_t slash = key->find('\\'); slash != std::string::npos;
         slash = key->find('\\', slash + 1)) {
        shortPath += "\\" + nodes_.at(key->substr(0, key->find('\\', slash + 1))).shortName;
    }
    if (shortPath.size() + 1 > size) {
        return static_cast<unsigned>(shortPath.size() + 1);  // the size the API would need
    }
    std::memcpy(buffer, shortPath.c_str(), shortPath.size() + 1);
    return static_cast<unsigned>(shortPath.size());
}

unsigned FakeFileSystem::DriveType(const std::string& drive) {
    const auto it = drives_.find(Key(drive.substr(0, 2)));
    return it == drives_.end() ? kDriveNoRootDir : it->second.first;
}

ReadStatus FakeFileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
    const Node* node = Find(path);
    if (!Resolve(path) || node == nullptr || node->Folder() || node->unreadable) {
        return Resolve(path) ? ReadStatus::Failed : ReadStatus::NotFound;
    }
    contents = node->contents;
    return ReadStatus::Ok;
}

bool FakeFileSystem::WriteNewFile(const std::string& path, const std::string& contents) {
    const std::optional<std::string> key = Writable(path);
    // A full disk leaves a cut file behind and fails the write.
    const bool full = diskFullAfter_ && contents.size() > *diskFullAfter_;
    if (key) {
        const std::string name = path.substr(path.find_last_of('\\') + 1);
        nodes_[*key] = {name, name, full ? contents.substr(0, *diskFullAfter_) : contents};
    }
    if (!key || full) {
        reason_ = full ? "There is not enough space on the disk." : "Access is denied.";
    }
    return key && !full;
}

bool FakeFileSystem::IsReadOnly(const std::string& path) {
    return Find(path) != nullptr && Find(path)->readOnly;
}

std::string FakeFileSystem::FolderIdentity(const std::string& path) {
    const std::string drive = Key(path.substr(0, 2));
    const std::string target = drives_.contains(drive) ? drives_.at(drive).second : "";
    if ((path.size() == 2 || Key(path) == drive + "\\") && !target.empty()) {
        return FolderIdentity(target);
    }
    const Node* node = Find(path);
    return Resolve(path) && (node == nullptr || node->Folder()) ? *Resolve(path) : "";
}

bool FakeFileSystem::ReplaceWith(const std::string& from, const std::string& to) {
    const Node* source = Find(from);
    const std::optional<std::string> key = Writable(to);
    if (source == nullptr || source->Folder() || !key) {
        reason_ = "Access is denied.";
        return false;
    }
    Node moved = *source;
    Remove(from);
    moved.name = moved.shortName = to.substr(to.find_last_of('\\') + 1);
    nodes_[*key] = moved;
    return true;
}

bool FakeFileSystem::DeleteFileAt(const std::string& path) {
    const Node* node = Find(path);
    if (node == nullptr || node->Folder() || node->readOnly) {
        return false;
    }
    Remove(path);
    return true;
}

bool FakeFileSystem::CreateFolder(const std::string& path) {
    if (!Exists(path) && Writable(path)) {
        AddFolder(path);
    }
    return Exists(path);
}

std::string FakeFileSystem::FromLegacyCodePage(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x80 ? std::string(1, c)
                            : std::string{static_cast<char>(0xC0 | (byte >> 6)),
                                          static_cast<char>(0x80 | (byte & 0x3F))};
    }
    return text;
}

}  // namespace kestrova::testing
