#include "vb/Errors.h"

#include <exception>
#include <new>

namespace tolvane::vb {

std::string DescribeCaught() noexcept {
    try {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            return kOutOfMemory;
        } catch (const std::exception& error) {
            return error.what();
        } catch (...) {
            return kUnexpectedError;
        }
    } catch (...) {
        return std::string();  // no memory even for the text: an empty string needs none
    }
}

}  // namespace tolvane::vb
