// The controls of a form held in a compound-file storage, as [MS-OFORMS] lays them out: the
// storage's stream "f" holds the form's own properties and one site per control (name, ID,
// class, position, size of its data in "o"); stream "o" holds each simple control's data
// (its size among it), in site order; each container control (Frame, MultiPage, Page) has a
// storage "i" + its ID (two digits at least) laid out the same way. A MultiPage's storage
// also holds its tab strip among its sites (not a control of the form) and, in stream "x",
// the order of its pages.
#pragma once

#include <cstdint>

#include "host/files/office/CompoundFile.h"
#include "host/files/office/UserForm.h"

namespace tolvane::office {

// More sites than this in one container, or controls in one form, refuse the form.
inline constexpr std::uint32_t kMaxSites = 10000;

struct FormContents {
    std::string caption;
    double width = 0, height = 0;  // DisplayedSize, points
    std::vector<UserFormControl> controls;
};

// Reads the form whose "f" and "o" streams (and container storages) are in `storage`.
FormContents ReadFormStorage(const CompoundFile& file, std::uint32_t storage);

// HIMETRIC (1/100 mm) to points, rounded to 0.01.
double PointsFromHimetric(std::int32_t himetric);

}  // namespace tolvane::office

namespace tolvane::office {

// The form of an exported UserForm's .frx: at `offset` (OleObjectBlob's ":XXXX"), a 24-byte
// header ("LB", 16-bit 8, 32-bit length of what follows it, 16 more bytes), then the
// compound file holding the form at its root.
FormContents ReadFrxForm(std::string frx, std::size_t offset, const std::string& label);

}  // namespace tolvane::office
