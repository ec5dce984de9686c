// Runs the statements the generator writes the way Visual Basic 6 runs them: its number
// types (Integer, Long, Single, Double) and how they combine, rounding on assignment, and
// the run-time errors these statements can raise. The preview draws what pasted code does
// at a given form size with it, and the tests check with it that code raises no error.
//
// It understands exactly the statement shapes the generator writes:
//   Dim NAME as integer|Long|Single|Double|Boolean
//   NAME = EXPR                 OBJECT.PROPERTY = EXPR        Exit Sub
//   If EXPR Then STATEMENT [Else STATEMENT]
//   If EXPR Then  ...  End If
// with + - * / ( ) = <> < > <= >= And Or, whole-number literals, variables, the constants
// True, False, vbMinimized and vbTwips...vbCentimeters, OBJECT.PROPERTY reads and OBJECT.METHOD(EXPR, ...)
// calls (ScaleX, ScaleY), where OBJECT is a name, Me, or an array element such as Option1(3).
// Anything else, and a variable not declared, would not compile: a fault of the generator,
// thrown as std::invalid_argument.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vb/Errors.h"

namespace tolvane {

// The form and its controls as the code sees them. Objects are named as the code names
// them ("Form1", "Option1(3)"); implementations compare names ignoring letter case.
class VbObjects {
public:
    virtual ~VbObjects() = default;
    // The property's value in the units VB returns it in; nullopt when there is no such
    // object or property (run-time error 438).
    virtual std::optional<double> Get(std::string_view object, std::string_view property) const = 0;
    // Sets the property, or returns false for a value the control refuses (error 380), such
    // as a width below 0.
    virtual bool Set(std::string_view object, std::string_view property, double value) = 0;
    // A method's result, as Get's; nullopt when the object has no such method (error 438).
    virtual std::optional<double> Call(std::string_view object, std::string_view method,
                                       const std::vector<double>& args) {
        (void)object, (void)method, (void)args;
        return std::nullopt;
    }
};

struct RunError {
    int line = 0;        // 1-based, within the block
    int number = 0;      // VB's error number
    std::string object;  // the object the statement sets, else the first it reads
    std::string statement;
};

struct RunResult {
    std::vector<RunError> errors;  // in line order
    bool exited = false;           // an "Exit Sub" ran
};

class Evaluator {
public:
    // Declares the variables of a declarations block; they start at 0.
    void Declare(std::string_view declarations);

    // Runs a Load or Resize block. A failing statement changes nothing; it is recorded and
    // the next line runs, so that every failing line is found. (In the program the first
    // error ends the event procedure, and a compiled program with it.)
    RunResult Run(std::string_view block, VbObjects& objects);

    std::optional<double> Variable(std::string_view name) const;

    enum class Type { Integer, Long, Single, Double, Boolean };
    struct Value {
        Type type = Type::Integer;
        double number = 0;
    };

private:
    std::map<std::string, Value> variables_;  // by folded name
};

}  // namespace tolvane
