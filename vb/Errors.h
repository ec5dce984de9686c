// Visual Basic's run-time errors that the product raises, passes on or finds in generated code:
// each number with the description the IDE shows for it, in one table.
#pragma once

#include <string>

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
// What the product says of a failure that is no error of VB's and says nothing of itself.
inline constexpr const char* kUnexpectedError = "Unexpected error";

// The numbers generated code may raise, as the evaluator reports them.
inline constexpr int kOverflowNumber = 6;
inline constexpr int kDivisionByZeroNumber = 11;
inline constexpr int kInvalidPropertyValueNumber = 380;
inline constexpr int kNoSuchMemberNumber = 438;

struct ErrorDescription {
    int number;
    const char* text;
};

inline constexpr ErrorDescription kErrors[] = {
    {5, kInvalidCall},          {6, kOverflow},           {7, kOutOfMemory},          {9, kSubscriptOutOfRange},
    {11, kDivisionByZero},      {13, kTypeMismatch},      {91, kObjectNotSet},        {343, kArrayElementNeeded},
    {380, kInvalidPropertyValue}, {438, kNoSuchMember},   {449, kArgumentNotOptional}, {450, kWrongArguments},
    {459, kNoEvents},
};

// The description of the exception being handled, as every boundary of the product words it:
// VB's "Out of memory" for std::bad_alloc, what() of any other std::exception,
// kUnexpectedError for anything else. Call it only inside a catch handler.
std::string DescribeCaught() noexcept;

// The description of an error number of the table, or "error" for another.
constexpr const char* DescriptionOf(int number) {
    for (const ErrorDescription& error : kErrors)
        if (error.number == number) return error.text;
    return "error";
}

}  // namespace tolvane::vb
