// A form and controls for the evaluator as a plain table of "Object.Property" values; a
// Width or Height below 0 is refused.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "vbrun/Evaluator.h"
#include "vb/Names.h"

namespace tolvane::testing {

class MapObjects : public VbObjects {
public:
    MapObjects() = default;
    MapObjects(std::initializer_list<std::pair<const std::string, double>> values) {
        for (const auto& [key, value] : values) values_[vb::FoldCase(key)] = value;
    }
    std::optional<double> Get(std::string_view object, std::string_view property) const override {
        const auto found = values_.find(Key(object, property));
        if (found == values_.end()) return std::nullopt;
        return found->second;
    }
    bool Set(std::string_view object, std::string_view property, double value) override {
        if (value < 0 && (vb::SameNameIgnoringCase(property, "Width") || vb::SameNameIgnoringCase(property, "Height")))
            return false;
        values_[Key(object, property)] = value;
        return true;
    }

private:
    static std::string Key(std::string_view object, std::string_view property) {
        return vb::FoldCase(std::string(object) + "." + std::string(property));
    }
    std::map<std::string, double> values_;
};

}  // namespace tolvane::testing
