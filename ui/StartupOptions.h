#pragma once

#include <memory>
#include <string>

#include "core/DriveTable.h"
#include "platform/registry/RegistryRoutines.h"
#include "ui/FormView.h"

namespace kestrova {

// The options pane's four choices of what happens at logon, kept in the Run
// value "Kestrova" under HKEY_CURRENT_USER's Run key: the program's own
// command line with "/B", "/M" or "/T", or no value.
class StartupOptions {
  public:
    StartupOptions(FormView& view, RegistryApi& registry, const DriveTable& table,
                   std::string programFolder);

    StartupOption Selected() const { return selected_; }
    // The user chose an option: its action runs. A Run key that refuses the
    // write is reported, and the option shown goes back.
    void Click(StartupOption option);
    // Program code selects an option: its action runs only when the option
    // was not selected before.
    void Select(StartupOption option);
    // Reads the Run value through a fresh accessor and selects the option it
    // names ("/M", then "/T", then "/B", case-sensitive; otherwise none).
    void Read();
    // The Run value's text, empty when there is none.
    std::string RunValueText();
    // Whether the Run value holds "/B" or "/T": a close or a minimise then
    // sends the window to the notification area.
    bool TrayModeRegistered();

  private:
    // Writes or deletes the Run value for the option; false when the registry
    // refused, so the Run value is not what the option says.
    bool RunAction(StartupOption option);
    void NewAccessor();

    FormView& view_;
    RegistryApi& registry_;
    const DriveTable& table_;
    std::string programFolder_;
    // The Run-key accessor; it exists from the window's creation on.
    std::unique_ptr<RegistryRoutines> runKey_;
    StartupOption selected_ = StartupOption::None;
};

}  // namespace kestrova
