// The About box: names the add-in and says in one paragraph what it does. Everything it
// shows is fixed in its layout; OK, Enter, Esc and the close box unload it.
#pragma once

#include <string>

#include "forms/Form.h"

namespace tolvane {

class frmAbout : public forms::Form {
public:
    // Word for word, blanks included.
    static const char* const Description;
    // The icon resource the picture box shows (the DLL's resources carry the image).
    static const char* const IconResource;

    frmAbout();

    // Controls of the current load; null before the first load.
    forms::Control* picIcon = nullptr;
    forms::Control* lblTitle = nullptr;
    forms::Control* lblDescription = nullptr;
    forms::Control* Line3 = nullptr;
    forms::Control* Line1 = nullptr;
    forms::Control* cmdOK = nullptr;

    void cmdOK_Click();

protected:
    void CreateControls() override;
};

}  // namespace tolvane
