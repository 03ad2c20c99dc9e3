// Command lines for the host's Code callback, built in a fixed buffer.
//
// The host parses the numbers of a move line with a decimal point whatever the user's locale, and the
// poll cycle must not allocate, so lines are formatted with std::to_chars (never printf, which follows
// the process locale) into a buffer on the stack.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace k7v::control {

// One argument of a line format: "%d" takes an int, "%s" a text, "%.4f" a double.
class LineArg {
public:
    enum class Kind { Int, Text, Fixed4 };

    LineArg(int value) : kind_(Kind::Int), int_(value) {}            // NOLINT: implicit by design
    LineArg(const char* value) : kind_(Kind::Text), text_(value) {}  // NOLINT
    LineArg(double value) : kind_(Kind::Fixed4), double_(value) {}   // NOLINT

    Kind kind() const { return kind_; }
    int AsInt() const { return int_; }
    const char* AsText() const { return text_; }
    double AsDouble() const { return double_; }

private:
    Kind kind_;
    union {
        int int_;
        const char* text_;
        double double_;
    };
};

class CommandLine {
public:
    // Room for the longest line we build: two "%.4f" values of the largest double (315 characters
    // each, sign included) and the words around them, so a line is never cut short.
    static constexpr std::size_t kCapacity = 704;

    // Replaces the content with `format` filled from `args` in order. The format may hold "%d",
    // "%s" and "%.4f" only; each conversion takes the next argument and writes nothing when that
    // argument is missing or of another kind. "%.4f" prints as the C locale does: fixed point, four decimals, a
    // minus sign for every negative value (also one that rounds to "-0.0000").
    const char* Format(const char* format, std::initializer_list<LineArg> args);

    const char* c_str() const { return text_; }
    // False when a "%.4f" value was not a finite number: such a line ("Xnan") must never reach
    // the machine.
    bool Valid() const { return valid_; }
    std::size_t size() const { return length_; }

private:
    void Append(const char* text);
    void AppendChar(char c);
    void AppendInt(int value);
    void AppendFixed4(double value);

    char text_[kCapacity + 1] = {};
    std::size_t length_ = 0;
    bool valid_ = true;
};

}  // namespace k7v::control
