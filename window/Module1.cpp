#include "window/Module1.h"

namespace tolvane {

void SetTopMost(forms::Form& form) { form.MakeTopMost(); }

}  // namespace tolvane
