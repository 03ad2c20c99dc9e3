#include "trace.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace k7v::hostsim {
namespace {

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (const char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string Time(std::int64_t ms)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%7lld ms  ", static_cast<long long>(ms));
    return buf;
}

}  // namespace

std::string FormatValue(double value)
{
    if (std::isnan(value)) return "nan";
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

void Trace::Event(std::int64_t ms, const std::string& what, const std::string& args, const std::string& result)
{
    ++events_;
    if (json_) {
        out_ << "{\"t_ms\":" << ms << ",\"call\":" << JsonString(what) << ",\"args\":" << JsonString(args);
        if (!result.empty()) out_ << ",\"result\":" << JsonString(result);
        out_ << "}\n";
        return;
    }
    out_ << Time(ms) << what << "(" << args << ")";
    if (!result.empty()) out_ << " -> " << result;
    out_ << "\n";
}

void Trace::Note(std::int64_t ms, const std::string& text)
{
    if (json_)
        out_ << "{\"t_ms\":" << ms << ",\"note\":" << JsonString(text) << "}\n";
    else
        out_ << Time(ms) << "-- " << text << "\n";
}

void Trace::End(bool complete, const std::string& error)
{
    if (json_) {
        out_ << "{\"end\":" << (complete ? "\"complete\"" : "\"incomplete\"");
        if (!error.empty()) out_ << ",\"error\":" << JsonString(error);
        out_ << ",\"events\":" << events_ << "}\n";
    } else if (complete) {
        out_ << "-- session complete: " << events_ << " host calls\n";
    } else {
        out_ << "-- session INCOMPLETE: " << error << "\n";
    }
    out_.flush();
}

}  // namespace k7v::hostsim
