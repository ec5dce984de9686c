#include "forms/ErrorReport.h"

#include <utility>

namespace tolvane::forms {
namespace {

// One user-interface thread: the report state needs no lock.
std::vector<ErrorReport>& Recorded() {
    static std::vector<ErrorReport> recorded;
    return recorded;
}

ErrorReporter& Installed() {
    static ErrorReporter reporter;
    return reporter;
}

void Record(const ErrorReport& report) noexcept {
    try {
        Recorded().push_back(report);
    } catch (...) {
        // Out of memory while reporting: nothing sensible is left to do.
    }
}

}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Installed() = std::move(reporter); }

void ReportError(const ErrorReport& report) noexcept {
    if (!Installed()) {
        Record(report);
        return;
    }
    try {
        Installed()(report);
    } catch (...) {
        Record(report);
    }
}

std::vector<ErrorReport> RecordedErrors() { return Recorded(); }

void ClearRecordedErrors() { Recorded().clear(); }

}  // namespace tolvane::forms
