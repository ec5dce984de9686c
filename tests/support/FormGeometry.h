// Properties of a form's layout that tests check instead of retyping it: which controls stick
// out of the area that holds them, and which controls of one container overlap.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "forms/Form.h"

namespace tolvane::testing {

inline bool Overlaps(const forms::Rect& a, const forms::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

inline bool Inside(const forms::Rect& inner, const forms::Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The area a control lies in: its container's client area, or the form's.
inline forms::Rect HoldingArea(const forms::Control& control) {
    const forms::Control* container = control.Container();
    if (container == nullptr) return {0, 0, control.Parent().ClientWidth(), control.Parent().ClientHeight()};
    const int inset = container->ClientInset();
    return {0, 0, container->Width() - 2 * inset, container->Height() - 2 * inset};
}

// The control's rectangle in the form's client coordinates, not clipped by its containers.
inline forms::Rect InForm(const forms::Control& control) {
    forms::Rect r = control.Bounds();
    for (const forms::Control* c = control.Container(); c != nullptr; c = c->Container()) {
        const int dx = c->Left() + c->ClientInset(), dy = c->Top() + c->ClientInset();
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    }
    return r;
}

// "Name" of every control that does not lie wholly inside its holding area.
inline std::vector<std::string> OutsideTheirArea(const forms::Form& form) {
    std::vector<std::string> outside;
    for (const auto& control : form.Controls())
        if (!Inside(control->Bounds(), HoldingArea(*control))) outside.push_back(control->Reference());
    return outside;
}

// "A ~ B" for every two controls of one container (or of the form) that overlap, A first in
// creation order.
inline std::set<std::string> OverlappingNeighbours(const forms::Form& form) {
    std::set<std::string> pairs;
    const auto& controls = form.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            if (controls[i]->Container() == controls[j]->Container() &&
                Overlaps(controls[i]->Bounds(), controls[j]->Bounds()))
                pairs.insert(controls[i]->Reference() + " ~ " + controls[j]->Reference());
    return pairs;
}

}  // namespace tolvane::testing
