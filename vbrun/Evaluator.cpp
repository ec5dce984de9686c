#include "vbrun/Evaluator.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>

#include "vb/Names.h"

namespace tolvane {
namespace {

using Type = Evaluator::Type;
using Value = Evaluator::Value;

// A run-time error raised while a statement runs.
struct Raised {
    int number;
};

struct Token {
    enum Kind { Name, Number, String, Symbol, End } kind = End;
    std::string text;  // a string's without its quotes
};

bool IsNameByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

std::vector<Token> Tokenize(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const auto c = static_cast<unsigned char>(line[pos]);
        if (c == ' ' || c == '\t') {
            ++pos;
        } else if (c >= '0' && c <= '9') {
            const std::size_t start = pos;
            while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') ++pos;
            tokens.push_back({Token::Number, std::string(line.substr(start, pos - start))});
        } else if (c == '"') {
            const std::size_t close = line.find('"', pos + 1);
            if (close == std::string_view::npos) throw std::invalid_argument("unclosed string in \"" + std::string(line) + "\"");
            tokens.push_back({Token::String, std::string(line.substr(pos + 1, close - pos - 1))});
            pos = close + 1;
        } else if (IsNameByte(c)) {
            const std::size_t start = pos;
            while (pos < line.size() && IsNameByte(static_cast<unsigned char>(line[pos]))) ++pos;
            tokens.push_back({Token::Name, std::string(line.substr(start, pos - start))});
        } else if ((c == '<' || c == '>') && pos + 1 < line.size() &&
                   (line[pos + 1] == '=' || (c == '<' && line[pos + 1] == '>'))) {
            tokens.push_back({Token::Symbol, std::string(line.substr(pos, 2))});
            pos += 2;
        } else if (std::string_view("+-*/().=<>,").find(static_cast<char>(c)) != std::string_view::npos) {
            tokens.push_back({Token::Symbol, std::string(1, static_cast<char>(c))});
            ++pos;
        } else {
            throw std::invalid_argument("unexpected character in \"" + std::string(line) + "\"");
        }
    }
    return tokens;
}

bool IsKeyword(const Token& token, std::string_view keyword) {
    return token.kind == Token::Name && vb::SameNameIgnoringCase(token.text, keyword);
}

// Rounds to a whole number as VB does when it stores into an Integer or Long: half to even.
double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return floor + 1;
    if (fraction < 0.5) return floor;
    return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

// A result of type `type`, or error 6 when it does not fit.
Value Checked(Type type, double number) {
    switch (type) {
        case Type::Integer:
            if (number < -32768 || number > 32767) throw Raised{vb::kOverflowNumber};
            break;
        case Type::Long:
            if (number < -2147483648.0 || number > 2147483647.0) throw Raised{vb::kOverflowNumber};
            break;
        case Type::Single:
            if (!std::isfinite(number) || std::fabs(number) > FLT_MAX) throw Raised{vb::kOverflowNumber};
            number = static_cast<float>(number);
            break;
        case Type::Double:
            if (!std::isfinite(number)) throw Raised{vb::kOverflowNumber};
            break;
        case Type::Boolean:
            number = number != 0 ? -1 : 0;  // any number but 0 is True
            break;
    }
    return {type, number};
}

// The type of a + b, a - b, a * b: the wider operand's, but Single with Long gives Double.
Type Widened(Type a, Type b) {
    // A Boolean takes part in arithmetic as an Integer.
    if (a == Type::Boolean) a = Type::Integer;
    if (b == Type::Boolean) b = Type::Integer;
    if ((a == Type::Single && b == Type::Long) || (a == Type::Long && b == Type::Single)) return Type::Double;
    return a > b ? a : b;
}

bool IsIntegerOrSingle(Type type) { return type == Type::Integer || type == Type::Single; }

Value Boolean(bool condition) { return {Type::Integer, condition ? -1.0 : 0.0}; }

// One statement of a block, over its tokens.
class Statement {
public:
    Statement(std::string_view line, const std::vector<Token>& tokens, std::map<std::string, Value>& variables,
              VbObjects& objects)
        : line_(line), tokens_(tokens), variables_(variables), objects_(objects) {}

    // Runs the line; returns true when it ran "Exit Sub".
    bool Run() {
        if (IsKeyword(Peek(), "If")) {
            ++pos_;
            const std::size_t conditionStart = pos_;
            while (Peek().kind != Token::End && !IsKeyword(Peek(), "Then")) ++pos_;
            if (Peek().kind == Token::End) Fail("If without Then");
            const std::size_t thenAt = pos_;
            std::size_t elseAt = thenAt + 1;
            while (elseAt < tokens_.size() && !IsKeyword(tokens_[elseAt], "Else")) ++elseAt;
            // The statement's subject is the object its Then part sets, found before the condition runs.
            pos_ = thenAt + 1;
            NoteTarget();
            pos_ = conditionStart;
            const Value condition = Expression(thenAt);
            if (pos_ != thenAt) Fail("unexpected text before Then");
            if (condition.number != 0) return Simple(thenAt + 1, elseAt);
            if (elseAt < tokens_.size()) return Simple(elseAt + 1, tokens_.size());
            return false;
        }
        return Simple(0, tokens_.size());
    }

    // "If EXPR Then" with nothing after Then: whether the block's lines run.
    bool BlockCondition() {
        pos_ = 1;
        const std::size_t thenAt = tokens_.size() - 1;
        const Value condition = Expression(thenAt);
        if (pos_ != thenAt) Fail("unexpected text before Then");
        return condition.number != 0;
    }

    const std::string& Subject() const { return subject_; }

private:
    [[noreturn]] void Fail(const std::string& problem) const {
        throw std::invalid_argument(problem + " in \"" + std::string(line_) + "\"");
    }

    const Token& Peek() const {
        static const Token end;
        return pos_ < tokens_.size() ? tokens_[pos_] : end;
    }
    bool Accept(std::string_view symbol) {
        if (Peek().kind == Token::Symbol && Peek().text == symbol) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(std::string_view symbol) {
        if (!Accept(symbol)) Fail("expected \"" + std::string(symbol) + "\"");
    }

    // The position of the property's name when an object path starts here: "Name", "Name(3)"
    // or "MultiPage1.Pages(\"Page1\")", each part followed by "." and then the property.
    std::optional<std::size_t> PropertyAt(std::size_t at) const {
        std::optional<std::size_t> property;
        while (at < tokens_.size() && tokens_[at].kind == Token::Name) {
            std::size_t after = at + 1;
            if (after + 2 < tokens_.size() && tokens_[after].text == "(" && tokens_[after + 2].text == ")" &&
                (tokens_[after + 1].kind == Token::Number || tokens_[after + 1].kind == Token::String))
                after += 3;
            if (after + 1 >= tokens_.size() || tokens_[after].text != "." || tokens_[after + 1].kind != Token::Name) break;
            property = at = after + 1;
        }
        return property;
    }
    bool AtProperty() const { return PropertyAt(pos_).has_value(); }
    // The object path before the property, as the code writes it.
    std::string ObjectText(std::size_t from, std::size_t property) const {
        std::string object;
        for (std::size_t i = from; i + 1 < property; ++i)
            object += tokens_[i].kind == Token::String ? "\"" + tokens_[i].text + "\"" : tokens_[i].text;
        return object;
    }
    // Reads "Object.Property" into its two parts.
    std::pair<std::string, std::string> Property() {
        const std::size_t property = *PropertyAt(pos_);
        std::string object = ObjectText(pos_, property);
        pos_ = property + 1;
        return {object, tokens_[property].text};
    }

    void NoteTarget() {
        if (const auto property = PropertyAt(pos_)) subject_ = ObjectText(pos_, *property);
    }

    Value& VariableNamed(const std::string& name) {
        const auto found = variables_.find(vb::FoldCase(name));
        if (found == variables_.end()) Fail("variable " + name + " is not declared");
        return found->second;
    }

    // "Exit Sub", or an assignment; tokens [from, to).
    bool Simple(std::size_t from, std::size_t to) {
        pos_ = from;
        if (to - from == 2 && IsKeyword(tokens_[from], "Exit") && IsKeyword(tokens_[from + 1], "Sub")) return true;
        if (AtProperty()) {
            const auto [object, property] = Property();
            if (subject_.empty()) subject_ = object;
            Expect("=");
            const Value value = Checked(Type::Single, Expression(to).number);
            if (pos_ != to) Fail("unexpected text after the expression");
            if (!objects_.Get(object, property)) throw Raised{vb::kNoSuchMemberNumber};
            if (!objects_.Set(object, property, value.number)) throw Raised{vb::kInvalidPropertyValueNumber};
            return false;
        }
        if (Peek().kind != Token::Name) Fail("expected a statement");
        Value& variable = VariableNamed(tokens_[pos_++].text);
        Expect("=");
        const Value value = Expression(to);
        if (pos_ != to) Fail("unexpected text after the expression");
        const bool whole = variable.type == Type::Integer || variable.type == Type::Long || variable.type == Type::Boolean;
        variable = Checked(variable.type, whole ? RoundHalfEven(value.number) : value.number);
        return false;
    }

    // Or binds loosest, then And (both bitwise on Longs), then comparison, then + -, then * /.
    Value Expression(std::size_t end) {
        Value left = Conjunction(end);
        while (pos_ < end && IsKeyword(Peek(), "Or")) {
            ++pos_;
            const auto right = static_cast<std::int32_t>(Conjunction(end).number);
            left = {Type::Long, static_cast<double>(static_cast<std::int32_t>(left.number) | right)};
        }
        return left;
    }
    Value Conjunction(std::size_t end) {
        Value left = Comparison(end);
        while (pos_ < end && IsKeyword(Peek(), "And")) {
            ++pos_;
            const auto right = static_cast<std::int32_t>(Comparison(end).number);
            left = {Type::Long, static_cast<double>(static_cast<std::int32_t>(left.number) & right)};
        }
        return left;
    }
    Value Comparison(std::size_t end) {
        const Value left = Sum(end);
        if (pos_ >= end || Peek().kind != Token::Symbol) return left;
        const std::string op = Peek().text;
        if (op != "=" && op != "<>" && op != "<" && op != ">" && op != "<=" && op != ">=") return left;
        ++pos_;
        const double a = left.number, b = Sum(end).number;
        if (op == "=") return Boolean(a == b);
        if (op == "<>") return Boolean(a != b);
        if (op == "<") return Boolean(a < b);
        if (op == ">") return Boolean(a > b);
        if (op == "<=") return Boolean(a <= b);
        return Boolean(a >= b);
    }
    Value Sum(std::size_t end) {
        Value left = Product(end);
        while (pos_ < end && (Peek().text == "+" || Peek().text == "-") && Peek().kind == Token::Symbol) {
            const bool plus = tokens_[pos_++].text == "+";
            const Value right = Product(end);
            left = Checked(Widened(left.type, right.type), plus ? left.number + right.number : left.number - right.number);
        }
        return left;
    }
    Value Product(std::size_t end) {
        Value left = Unary(end);
        while (pos_ < end && (Peek().text == "*" || Peek().text == "/") && Peek().kind == Token::Symbol) {
            const bool times = tokens_[pos_++].text == "*";
            const Value right = Unary(end);
            if (times) {
                left = Checked(Widened(left.type, right.type), left.number * right.number);
                continue;
            }
            // "/" is floating division: Single for Integer and Single operands, else Double;
            // 0 / 0 is an overflow, anything else over 0 a division by zero.
            if (right.number == 0) throw Raised{left.number == 0 ? vb::kOverflowNumber : vb::kDivisionByZeroNumber};
            const Type type = IsIntegerOrSingle(left.type) && IsIntegerOrSingle(right.type) ? Type::Single : Type::Double;
            left = Checked(type, left.number / right.number);
        }
        return left;
    }
    Value Unary(std::size_t end) {
        if (pos_ < end && Accept("-")) {
            const Value operand = Unary(end);
            return Checked(operand.type, -operand.number);
        }
        return Primary(end);
    }
    Value Primary(std::size_t end) {
        if (pos_ >= end) Fail("expression ends too early");
        if (Accept("(")) {
            const Value inner = Expression(end);
            Expect(")");
            return inner;
        }
        const Token& token = Peek();
        if (token.kind == Token::Number) {
            ++pos_;
            const double number = std::stod(token.text);
            return {number <= 32767 ? Type::Integer : number <= 2147483647.0 ? Type::Long : Type::Double, number};
        }
        if (token.kind != Token::Name) Fail("unexpected \"" + token.text + "\"");
        if (AtProperty()) {
            const auto [object, property] = Property();
            if (subject_.empty()) subject_ = object;
            if (pos_ < end && Peek().text == "(") return Checked(Type::Single, Method(object, property, end));
            const auto value = objects_.Get(object, property);
            if (!value) throw Raised{vb::kNoSuchMemberNumber};
            // WindowState is an Integer; every position and size a Single.
            if (vb::SameNameIgnoringCase(property, "WindowState")) return {Type::Integer, *value};
            return Checked(Type::Single, *value);
        }
        ++pos_;
        if (const auto constant = Constant(token.text)) return {Type::Long, *constant};
        return VariableNamed(token.text);
    }

    // OBJECT.METHOD(EXPR, ...), at the "(".
    double Method(const std::string& object, const std::string& method, std::size_t end) {
        Expect("(");
        std::vector<double> args;
        if (!Accept(")")) {
            do args.push_back(Expression(end).number);
            while (Accept(","));
            Expect(")");
        }
        const auto value = objects_.Call(object, method, args);
        if (!value) throw Raised{vb::kNoSuchMemberNumber};
        return *value;
    }

    static std::optional<double> Constant(std::string_view name) {
        static constexpr struct {
            std::string_view name;
            double value;
        } kConstants[] = {{"True", -1}, {"False", 0}, {"vbMinimized", 1}, {"vbUser", 0},   {"vbTwips", 1},  {"vbPoints", 2},
                          {"vbPixels", 3},    {"vbCharacters", 4}, {"vbInches", 5}, {"vbMillimeters", 6},
                          {"vbCentimeters", 7}};
        for (const auto& constant : kConstants)
            if (vb::SameNameIgnoringCase(name, constant.name)) return constant.value;
        return std::nullopt;
    }

    std::string_view line_;
    const std::vector<Token>& tokens_;
    std::map<std::string, Value>& variables_;
    VbObjects& objects_;
    std::size_t pos_ = 0;
    std::string subject_;
};

// The lines of a block, without their line ends.
std::vector<std::string_view> BlockLines(std::string_view block) {
    std::vector<std::string_view> lines;
    while (!block.empty()) {
        const std::size_t end = block.find('\n');
        std::string_view line = block.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        block.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

void Evaluator::Declare(std::string_view declarations) {
    for (const std::string_view line : BlockLines(declarations)) {
        const auto tokens = Tokenize(line);
        if (tokens.empty()) continue;
        if (tokens.size() != 4 || !IsKeyword(tokens[0], "Dim") || tokens[1].kind != Token::Name ||
            !IsKeyword(tokens[2], "as"))
            throw std::invalid_argument("not a declaration: \"" + std::string(line) + "\"");
        Type type;
        if (IsKeyword(tokens[3], "Integer")) type = Type::Integer;
        else if (IsKeyword(tokens[3], "Long")) type = Type::Long;
        else if (IsKeyword(tokens[3], "Single")) type = Type::Single;
        else if (IsKeyword(tokens[3], "Double")) type = Type::Double;
        else if (IsKeyword(tokens[3], "Boolean")) type = Type::Boolean;
        else throw std::invalid_argument("unknown type in \"" + std::string(line) + "\"");
        if (!variables_.emplace(vb::FoldCase(tokens[1].text), Value{type, 0}).second)
            throw std::invalid_argument("duplicate declaration: \"" + std::string(line) + "\"");
    }
}

RunResult Evaluator::Run(std::string_view block, VbObjects& objects) {
    RunResult result;
    // One entry per open block If: whether its lines are skipped (its condition was false, or
    // it lies in a block that is skipped, or its condition raised an error).
    std::vector<bool> skipping;
    int number = 0;
    for (const std::string_view line : BlockLines(block)) {
        ++number;
        const auto tokens = Tokenize(line);
        if (tokens.empty()) continue;
        const bool skipped = !skipping.empty() && skipping.back();
        if (tokens.size() == 2 && IsKeyword(tokens[0], "End") && IsKeyword(tokens[1], "If")) {
            if (skipping.empty()) throw std::invalid_argument("End If without If at \"" + std::string(line) + "\"");
            skipping.pop_back();
            continue;
        }
        const bool blockIf = tokens.size() > 2 && IsKeyword(tokens.front(), "If") && IsKeyword(tokens.back(), "Then");
        if (skipped) {
            if (blockIf) skipping.push_back(true);
            continue;
        }
        Statement statement(line, tokens, variables_, objects);
        try {
            if (blockIf) {
                skipping.push_back(true);
                skipping.back() = !statement.BlockCondition();
            } else if (statement.Run()) {
                result.exited = true;
                return result;
            }
        } catch (const Raised& raised) {
            result.errors.push_back(RunError{number, raised.number, statement.Subject(), std::string(line)});
        }
    }
    if (!skipping.empty()) throw std::invalid_argument("If without End If");
    return result;
}

std::optional<double> Evaluator::Variable(std::string_view name) const {
    const auto found = variables_.find(vb::FoldCase(name));
    if (found == variables_.end()) return std::nullopt;
    return found->second.number;
}

}  // namespace tolvane
