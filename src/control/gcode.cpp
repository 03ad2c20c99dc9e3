#include "control/gcode.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace k7v::control {

void CommandLine::Append(const char* text)
{
    if (!text) return;
    for (; *text; ++text) AppendChar(*text);
}

void CommandLine::AppendChar(char c)
{
    if (length_ < kCapacity) text_[length_++] = c;
    text_[length_] = '\0';
}

void CommandLine::AppendInt(int value)
{
    const auto result = std::to_chars(text_ + length_, text_ + kCapacity, value);
    if (result.ec == std::errc()) length_ = static_cast<std::size_t>(result.ptr - text_);
    text_[length_] = '\0';
}

void CommandLine::AppendFixed4(double value)
{
    if (!std::isfinite(value)) valid_ = false;
    const auto result = std::to_chars(text_ + length_, text_ + kCapacity, value, std::chars_format::fixed, 4);
    if (result.ec == std::errc()) length_ = static_cast<std::size_t>(result.ptr - text_);
    text_[length_] = '\0';
}

const char* CommandLine::Format(const char* format, std::initializer_list<LineArg> args)
{
    length_ = 0;
    valid_ = true;
    text_[0] = '\0';
    const LineArg* arg = args.begin();
    const LineArg* const end = args.end();
    auto next = [&](LineArg::Kind kind) -> const LineArg* {
        if (arg == end) return nullptr;
        const LineArg* taken = arg++;
        return taken->kind() == kind ? taken : nullptr;
    };
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            AppendChar(*p);
        } else if (p[1] == 'd') {
            if (const LineArg* a = next(LineArg::Kind::Int)) AppendInt(a->AsInt());
            p += 1;
        } else if (p[1] == 's') {
            if (const LineArg* a = next(LineArg::Kind::Text)) Append(a->AsText());
            p += 1;
        } else if (std::strncmp(p, "%.4f", 4) == 0) {
            if (const LineArg* a = next(LineArg::Kind::Fixed4)) AppendFixed4(a->AsDouble());
            p += 3;
        } else {
            AppendChar(*p);
        }
    }
    return text_;
}

}  // namespace k7v::control
