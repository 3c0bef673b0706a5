#include "ui/StartupOptions.h"

#include <utility>

#include "ui/CommandLine.h"

namespace kestrova {

namespace {

const char kNoDrivesToMount[] = "There are no Virtual Drives in the list to Mount    ";
const char kRunKeyFailed[] =
    "The startup option could not be saved in the registry; Windows startup is unchanged.     ";

}  // namespace

StartupOptions::StartupOptions(FormView& view, RegistryApi& registry, const DriveTable& table,
                               std::string programFolder)
    : view_(view), registry_(registry), table_(table), programFolder_(std::move(programFolder)) {
    NewAccessor();
}

void StartupOptions::NewAccessor() {
    runKey_ = std::make_unique<RegistryRoutines>(registry_);
    runKey_->hKey(kHkeyCurrentUser);
    runKey_->KeyRoot("Software\\Microsoft\\Windows\\CurrentVersion");
    runKey_->SubKey("Run");
}

std::string StartupOptions::RunValueText() {
    const Variant value = runKey_->GetRegistryValue("Kestrova");
    const std::string* text = value.Text();
    return text != nullptr ? *text : std::string{};
}

bool StartupOptions::TrayModeRegistered() {
    const std::string text = RunValueText();
    return text.find("/B") != std::string::npos || text.find("/T") != std::string::npos;
}

void StartupOptions::Read() {
    NewAccessor();
    const std::string text = RunValueText();
    StartupOption option = StartupOption::None;
    if (text.find("/M") != std::string::npos) {
        option = StartupOption::M;
    } else if (text.find("/T") != std::string::npos) {
        option = StartupOption::T;
    } else if (text.find("/B") != std::string::npos) {
        option = StartupOption::B;
    }
    Select(option);
}

void StartupOptions::Select(StartupOption option) {
    if (option == selected_) {
        return;
    }
    selected_ = option;
    view_.ShowStartupOption(option);
    // Selected by the program itself (at start-up, or when the last drive
    // goes): no one asked, so a refused write is not reported here.
    RunAction(option);
}

void StartupOptions::Click(StartupOption option) {
    const StartupOption previous = selected_;
    selected_ = option;
    view_.ShowStartupOption(option);
    if (!RunAction(option)) {
        // The Run value is as it was: so is the option shown.
        selected_ = previous;
        view_.ShowStartupOption(previous);
        view_.ShowMessage(kRunKeyFailed, kStyleExclamation);
    }
}

bool StartupOptions::RunAction(StartupOption option) {
    switch (option) {
        case StartupOption::B:
        case StartupOption::M:
            if (table_.Empty()) {
                Select(StartupOption::None);
                view_.ShowMessage(kNoDrivesToMount, kStyleInformation);
                return true;
            }
            return runKey_->SetRegistryValue(
                "Kestrova", RunValueData(programFolder_, option == StartupOption::B ? "/B" : "/M"),
                kRegSz);
        case StartupOption::T:
            return runKey_->SetRegistryValue("Kestrova", RunValueData(programFolder_, "/T"),
                                             kRegSz);
        case StartupOption::None: {
            // No value (2) is what was asked for; any other failure counts
            // only when the value is still there.
            const std::int32_t result = runKey_->DeleteValue("Kestrova");
            return result == 0 || result == 2 || RunValueText().empty();
        }
    }
    return true;
}

}  // namespace kestrova
