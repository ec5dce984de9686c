// What the connection object needs of the add-in window, and what the window needs of its
// owner. Kept apart from frmAddIn so that Connect can be built and tested against any window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/Host.h"

namespace tolvane {

// The window's owner (Connect). The window calls back only through this.
class AddInOwner {
public:
    virtual ~AddInOwner() = default;
    // Exit: hide the window (the owner also records that it is no longer displayed).
    virtual void Hide() = 0;
    // The user closed the window with its title-bar close box; the window has unloaded itself.
    virtual void WindowClosed() = 0;
    // What the window remembers between sessions (its check boxes), in the owner's settings
    // under the add-in's application and section. Both may throw.
    virtual std::string GetSetting(const std::string& key, const std::string& defaultValue) = 0;
    virtual void SaveSetting(const std::string& key, const std::string& value) = 0;
};

// The add-in window as its owner drives it. Every call may throw (a host or window error);
// the owner guards each step.
class AddInWindowApi {
public:
    virtual ~AddInWindowApi() = default;
    // Public members, assigned before every display. The owner pointer is not owning:
    // the owner owns the window and outlives it.
    virtual void SetVBInstance(std::shared_ptr<host::Root> vbInstance) = 0;
    virtual void SetConnect(AddInOwner* owner) = 0;
    // Displays the window without modality or owner window. The first display (and the first
    // after an unload) loads the window: its load-time work runs then, after the members are set.
    virtual void Show() = 0;
    // Hides the window; it stays loaded with its contents.
    virtual void Hide() = 0;
    // Unloads the window (no visible effect when it was never loaded).
    virtual void Unload() = 0;
};

// Creates a window instance without loading or displaying it.
using AddInWindowFactory = std::function<std::unique_ptr<AddInWindowApi>()>;

}  // namespace tolvane
