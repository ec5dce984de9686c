// Visual Basic's own descriptions of the run-time errors the product raises or passes on,
// so that every message reads as the IDE words it.
#pragma once

namespace tolvane::vb {

inline constexpr const char* kInvalidCall = "Invalid procedure call or argument";          // 5
inline constexpr const char* kOverflow = "Overflow";                                        // 6
inline constexpr const char* kOutOfMemory = "Out of memory";                                // 7
inline constexpr const char* kSubscriptOutOfRange = "Subscript out of range";               // 9
inline constexpr const char* kSubNotDefined = "Sub or Function not defined";                  // 35
inline constexpr const char* kDivisionByZero = "Division by zero";                          // 11
inline constexpr const char* kTypeMismatch = "Type mismatch";                               // 13
inline constexpr const char* kObjectNotSet = "Object variable or With block variable not set";  // 91
inline constexpr const char* kArrayElementNeeded = "Control array element must be specified";   // 343
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";                    // 380
inline constexpr const char* kNoSuchMember = "Object doesn't support this property or method";    // 438
inline constexpr const char* kArgumentNotOptional = "Argument not optional";                      // 449
inline constexpr const char* kWrongArguments = "Wrong number of arguments or invalid property assignment";  // 450
inline constexpr const char* kAmbiguousName = "Ambiguous name detected";                       // compile
inline constexpr const char* kNoEvents = "Object or class does not support the set of events";  // 459

}  // namespace tolvane::vb
