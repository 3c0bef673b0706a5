#include "tests/support/fakes/FakeFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kestrova::testing {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool IsDrive(const std::string& part) {
    return part.size() == 2 && std::isalpha(static_cast<unsigned char>(part[0])) && part[1] == ':';
}

bool Fits(unsigned attributes, unsigned mask) {
    const unsigned masked = kAttributeHidden | kAttributeSystem | kAttributeDirectory;
    return (attributes & masked & ~mask) == 0;
}

}  // namespace

void FakeFileSystem::AddDrive(const std::string& letter, unsigned type) {
    driveTypes_[Lower(letter.substr(0, 2))] = type;
}

void FakeFileSystem::RemoveDrive(const std::string& letter) {
    driveTypes_.erase(Lower(letter.substr(0, 2)));
}

void FakeFileSystem::AddNode(const std::string& longPath, const std::string& shortName,
                             unsigned attributes, bool folder, const std::string& contents) {
    const std::vector<std::string> parts = Components(longPath);
    if (parts.empty() || !IsDrive(parts[0])) {
        return;
    }
    if (!driveTypes_.contains(Lower(parts[0]))) {
        AddDrive(parts[0]);
    }
    std::string key = Lower(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        key += "\\" + Lower(parts[i]);
        const bool last = i + 1 == parts.size();
        if (!last && nodes_.contains(key)) {
            continue;
        }
        Node node;
        node.longName = parts[i];
        node.shortName = last && !shortName.empty() ? shortName : parts[i];
        node.folder = !last || folder;
        node.attributes = last ? attributes : kAttributeDirectory;
        if (node.folder) {
            node.attributes |= kAttributeDirectory;
        }
        node.contents = last ? contents : std::string{};
        nodes_[key] = node;
    }
}

void FakeFileSystem::AddFolder(const std::string& longPath, const std::string& shortName,
                               unsigned attributes) {
    AddNode(longPath, shortName, attributes | kAttributeDirectory, true, {});
}

void FakeFileSystem::AddFile(const std::string& longPath, const std::string& contents,
                             const std::string& shortName, unsigned attributes) {
    AddNode(longPath, shortName, attributes, false, contents);
}

std::optional<std::string> FakeFileSystem::FindChild(const std::string& parentKey,
                                                     const std::string& name) const {
    for (const auto& [key, node] : nodes_) {
        const std::size_t slash = key.find_last_of('\\');
        if (slash != std::string::npos && key.compare(0, slash, parentKey) == 0 &&
            slash == parentKey.size() &&
            (EqualNoCase(node.longName, name) || EqualNoCase(node.shortName, name))) {
            return key;
        }
    }
    return std::nullopt;
}

std::optional<std::string> FakeFileSystem::Resolve(const std::string& path) const {
    if (path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    const std::vector<std::string> parts = Components(path);
    if (!IsDrive(parts[0]) || !driveTypes_.contains(Lower(parts[0])) ||
        driveTypes_.at(Lower(parts[0])) == kDriveNoRootDir) {
        return std::nullopt;
    }
    std::string key = Lower(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty()) {
            // Only "E:\" may end in a backslash; a folder path with one fails
            // as FindFirstFile fails on it.
            if (i == 1 && parts.size() == 2) {
                return key;
            }
            return std::nullopt;
        }
        const std::optional<std::string> child = FindChild(key, parts[i]);
        if (!child) {
            return std::nullopt;
        }
        key = *child;
    }
    return key;
}

std::optional<std::string> FakeFileSystem::ResolveParent(const std::string& path,
                                                         std::string& lastName) const {
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    lastName = path.substr(slash + 1);
    if (lastName.empty()) {
        return std::nullopt;
    }
    const std::string parent = slash == 2 ? path.substr(0, 2) : path.substr(0, slash);
    std::optional<std::string> key = Resolve(parent);
    if (key && key->size() > 2 && !nodes_.at(*key).folder) {
        return std::nullopt;
    }
    return key;
}

bool FakeFileSystem::Exists(const std::string& path) const {
    return Resolve(path).has_value();
}

std::string FakeFileSystem::Contents(const std::string& path) const {
    const std::optional<std::string> key = Resolve(path);
    return key && key->size() > 2 ? nodes_.at(*key).contents : std::string{};
}

void FakeFileSystem::Remove(const std::string& path) {
    const std::optional<std::string> key = Resolve(path);
    if (!key) {
        return;
    }
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        if (it->first == *key || it->first.rfind(*key + "\\", 0) == 0) {
            it = nodes_.erase(it);
        } else {
            ++it;
        }
    }
}

void FakeFileSystem::SetUnreadable(const std::string& path) {
    if (const std::optional<std::string> key = Resolve(path); key && key->size() > 2) {
        nodes_[*key].unreadable = true;
    }
}

void FakeFileSystem::SetReadOnly(const std::string& path) {
    if (const std::optional<std::string> key = Resolve(path); key && key->size() > 2) {
        nodes_[*key].readOnly = true;
    }
}

std::string FakeFileSystem::FindFirstName(const std::string& path, unsigned mask) {
    queries_.push_back(path);
    const std::optional<std::string> key = Resolve(path);
    if (!key) {
        return {};
    }
    if (key->size() == 2) {
        return Fits(kAttributeDirectory, mask) ? path.substr(0, 2) + "\\" : std::string{};
    }
    const Node& node = nodes_.at(*key);
    return Fits(node.attributes, mask) ? node.longName : std::string{};
}

unsigned FakeFileSystem::ShortPathName(const std::string& path, char* buffer, unsigned size) {
    const std::optional<std::string> key = Resolve(path);
    if (!key) {
        return 0;
    }
    std::string shortPath = path.substr(0, 2);
    if (key->size() == 2) {
        shortPath += "\\";
    } else {
        std::string walked = key->substr(0, 2);
        for (const std::string& part : Components(key->substr(3))) {
            walked += "\\" + part;
            shortPath += "\\" + nodes_.at(walked).shortName;
        }
    }
    if (shortPath.size() + 1 > size) {
        // Like the API: the size needed, terminator included; the buffer is
        // left with whatever it held.
        return static_cast<unsigned>(shortPath.size() + 1);
    }
    std::memcpy(buffer, shortPath.c_str(), shortPath.size() + 1);
    return static_cast<unsigned>(shortPath.size());
}

unsigned FakeFileSystem::DriveType(const std::string& drive) {
    const auto it = driveTypes_.find(Lower(drive.substr(0, 2)));
    return it == driveTypes_.end() ? kDriveNoRootDir : it->second;
}

ReadStatus FakeFileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
    const std::optional<std::string> key = Resolve(path);
    if (!key) {
        return ReadStatus::NotFound;
    }
    if (key->size() == 2) {
        return ReadStatus::Failed;
    }
    const Node& node = nodes_.at(*key);
    if (node.folder || node.unreadable) {
        return ReadStatus::Failed;
    }
    contents = node.contents;
    return ReadStatus::Ok;
}

bool FakeFileSystem::WriteNewFile(const std::string& path, const std::string& contents) {
    std::string name;
    const std::optional<std::string> parent = ResolveParent(path, name);
    if (!parent || (parent->size() > 2 && nodes_.at(*parent).readOnly)) {
        return false;
    }
    if (const std::optional<std::string> existing = FindChild(*parent, name)) {
        const Node& node = nodes_.at(*existing);
        if (node.folder || node.readOnly || node.unreadable) {
            return false;
        }
    }
    Node node;
    node.longName = name;
    node.shortName = name;
    if (diskFullAfter_ && contents.size() > *diskFullAfter_) {
        // A full disk leaves a cut file behind and fails the write.
        node.contents = contents.substr(0, *diskFullAfter_);
        nodes_[*parent + "\\" + Lower(name)] = node;
        return false;
    }
    node.contents = contents;
    nodes_[*parent + "\\" + Lower(name)] = node;
    return true;
}

bool FakeFileSystem::ReplaceWith(const std::string& from, const std::string& to) {
    const std::optional<std::string> source = Resolve(from);
    std::string name;
    const std::optional<std::string> parent = ResolveParent(to, name);
    if (!source || source->size() == 2 || nodes_.at(*source).folder || !parent) {
        return false;
    }
    if (const std::optional<std::string> existing = FindChild(*parent, name)) {
        const Node& node = nodes_.at(*existing);
        if (node.folder || node.readOnly || node.unreadable) {
            return false;
        }
        nodes_.erase(*existing);
    }
    Node moved = nodes_.at(*source);
    nodes_.erase(*source);
    moved.longName = name;
    moved.shortName = name;
    nodes_[*parent + "\\" + Lower(name)] = moved;
    return true;
}

bool FakeFileSystem::CreateFolder(const std::string& path) {
    std::string name;
    const std::optional<std::string> parent = ResolveParent(path, name);
    if (!parent || (parent->size() > 2 && nodes_.at(*parent).readOnly)) {
        return false;
    }
    if (!Resolve(path)) {
        AddFolder(path);
    }
    return true;
}

std::string FakeFileSystem::FromLegacyCodePage(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

bool FakeFileSystem::DeleteFileAt(const std::string& path) {
    const std::optional<std::string> key = Resolve(path);
    if (!key || key->size() == 2 || nodes_.at(*key).folder || nodes_.at(*key).readOnly) {
        return false;
    }
    nodes_.erase(*key);
    return true;
}

}  // namespace kestrova::testing
