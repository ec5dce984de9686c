// The default error report: where an error goes that an event handler does not handle and
// that no realisation of its form shows (a form realised with Win32 windows shows its own in
// a message box). By default the reports are recorded, so that tests can read them. Either
// way the error ends the handler and nothing else: the window stays usable.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tolvane::forms {

struct ErrorReport {
    std::string form;         // the form whose handler failed, e.g. "frmAddIn"
    std::string source;       // the handler, e.g. "cboForms_Click" or "Check1_Click(3)"
    std::string description;  // the error's description text, as the user would read it

    bool operator==(const ErrorReport& other) const = default;
};

using ErrorReporter = std::function<void(const ErrorReport&)>;

// Installs the reporter; an empty function restores the recording one.
void SetErrorReporter(ErrorReporter reporter);

// Hands the report to the installed reporter. Never throws: a reporter that fails is
// replaced by recording for that report.
void ReportError(const ErrorReport& report) noexcept;

// What the recording reporter has received, oldest first.
std::vector<ErrorReport> RecordedErrors();
void ClearRecordedErrors();

}  // namespace tolvane::forms
