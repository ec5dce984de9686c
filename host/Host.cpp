#include "host/Host.h"
#include "vb/Errors.h"

#include <charconv>

namespace tolvane::host {

std::int32_t PropertyValue::AsNumber() const {
    if (const auto* number = std::get_if<std::int32_t>(&value_)) return *number;
    if (const auto* text = std::get_if<std::string>(&value_)) {
        std::int32_t number = 0;
        const char* first = text->data();
        const char* last = first + text->size();
        while (first != last && *first == ' ') ++first;
        while (last != first && last[-1] == ' ') --last;
        if (first != last && *first == '+') ++first;
        auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc() && end == last && first != last) return number;
    }
    if (IsEmpty()) return 0;
    throw HostError(vb::kTypeMismatch);
}

std::string PropertyValue::AsText() const {
    if (const auto* text = std::get_if<std::string>(&value_)) return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value_)) return std::to_string(*number);
    return {};
}

}  // namespace tolvane::host
