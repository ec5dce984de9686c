// The error boundary shared by the module's COM code.
//
// Every method that COM, the loader or the registry code calls runs its body through
// ComBoundary: nothing thrown inside (std::bad_alloc, HostError, anything) may unwind into
// the caller's frames, and on i686 (DWARF unwinding) it could not even get there intact.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane::server {

// ---- exceptions that carry an HRESULT out of helper code ----

class ComError : public std::runtime_error {
public:
    ComError(HRESULT hr, const std::string& what) : std::runtime_error(what), hr_(hr) {}
    HRESULT Result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// Throws ComError when hr is a failure; `what` names the step for the error description.
void ThrowIfFailed(HRESULT hr, const char* what);

// ---- the boundary ----

// Records the failure as the thread's error information (source, description, interface)
// so that ISupportErrorInfo callers and late-bound callers (DISP_E_EXCEPTION) see the text.
void SetComErrorInfo(REFIID iid, std::wstring_view description) noexcept;

// Turns the exception being handled into an HRESULT and error information.
HRESULT HResultFromCurrentException(REFIID iid) noexcept;

template <class Body>
HRESULT ComBoundary(REFIID iid, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return HResultFromCurrentException(iid);
    }
}

}  // namespace tolvane::server
