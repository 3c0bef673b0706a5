#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace kestrova::testing {

// A fresh folder for one test on the prefix's C: drive, removed afterwards.
class WineTestFolder {
  public:
    explicit WineTestFolder(const std::string& name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "kestrova-" + name;
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_, ignored);
    }
    ~WineTestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    WineTestFolder(const WineTestFolder&) = delete;
    WineTestFolder& operator=(const WineTestFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Sub(const std::string& name) const { return path_ + "\\" + name; }
    std::string MakeFolder(const std::string& name) const {
        std::error_code ignored;
        std::filesystem::create_directories(Sub(name), ignored);
        return Sub(name);
    }

  private:
    std::string path_;
};

}  // namespace kestrova::testing
