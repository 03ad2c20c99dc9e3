#include "session.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

namespace k7v::hostsim {
namespace {

// The pendant's controls as the session last set them; every report carries all of them.
struct PendantControls {
    int wheel = 0;
    int speed = 0;
    int axis = 1;
    int function = 0;
    int suspend = 0;
    int command = 0;

    void Encode(std::uint8_t (&bytes)[8]) const
    {
        bytes[0] = 0;
        bytes[1] = static_cast<std::uint8_t>(wheel);
        bytes[2] = static_cast<std::uint8_t>(speed);
        bytes[3] = static_cast<std::uint8_t>((axis & 0x0F) | (suspend << 4) | (command << 5));
        bytes[4] = static_cast<std::uint8_t>(function & 0x7F);
        bytes[5] = bytes[6] = bytes[7] = 0;
    }
};

class Parser {
public:
    Parser(const std::string& file) : file_(file) {}

    Session Run(const std::string& text)
    {
        Session session;
        session.file = file_;
        std::istringstream in(text);
        std::string raw;
        while (std::getline(in, raw)) {
            ++line_;
            if (const auto hash = raw.find('#'); hash != std::string::npos) raw.erase(hash);
            words_.clear();
            std::istringstream ws(raw);
            for (std::string w; ws >> w;) words_.push_back(w);
            if (words_.empty()) continue;
            Step step;
            step.line = line_;
            ParseLine(step);
            CheckOrder(step);
            session.steps.push_back(std::move(step));
        }
        return session;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw SessionError(file_ + ":" + std::to_string(line_) + ": " + what);
    }

    void Arity(std::size_t min, std::size_t max) const
    {
        const std::size_t n = words_.size() - 1;
        if (n >= min && n <= max) return;
        auto count = [](std::size_t k) { return std::to_string(k) + (k == 1 ? " argument" : " arguments"); };
        const std::string takes = min == max ? count(max)
                                  : min == 0 ? "at most " + count(max)
                                             : std::to_string(min) + " to " + count(max);
        Fail("'" + words_[0] + "' takes " + takes + ", not " + std::to_string(n));
    }

    std::int64_t Int(const std::string& text, std::int64_t lo, std::int64_t hi, const char* what) const
    {
        std::int64_t v = 0;
        const char* first = text.data();
        const char* last = first + text.size();
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            first += 2;
            base = 16;
        } else if (!text.empty() && text[0] == '+') {
            ++first;
        }
        auto [p, ec] = std::from_chars(first, last, v, base);
        if (ec != std::errc() || p != last || first == last) Fail(std::string(what) + " must be a whole number, not '" + text + "'");
        if (v < lo || v > hi)
            Fail(std::string(what) + " " + text + " is out of range (" + std::to_string(lo) + " to " + std::to_string(hi) + ")");
        return v;
    }

    double Number(const std::string& text, const char* what) const
    {
        double v = 0;
        const char* first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
        auto [p, ec] = std::from_chars(first, text.data() + text.size(), v);
        if (ec != std::errc() || p != text.data() + text.size()) Fail(std::string(what) + " must be a number, not '" + text + "'");
        return v;
    }

    int Axis(const std::string& text) const
    {
        static const std::map<std::string, int> names = {{"X", 0}, {"Y", 1}, {"Z", 2}, {"A", 3}};
        auto it = names.find(text);
        if (it == names.end()) Fail("axis must be X, Y, Z or A, not '" + text + "'");
        return it->second;
    }

    int OnOff(const std::string& text) const
    {
        if (text == "on" || text == "1") return 1;
        if (text == "off" || text == "0") return 0;
        Fail("expected on or off, not '" + text + "'");
    }

    // key=value pairs of a report line; each sets one pendant control.
    void ReportFields(std::size_t from)
    {
        for (std::size_t i = from; i < words_.size(); ++i) {
            const std::string& w = words_[i];
            const auto eq = w.find('=');
            if (eq == std::string::npos) Fail("expected field=value, not '" + w + "'");
            const std::string key = w.substr(0, eq), val = w.substr(eq + 1);
            if (key == "wheel") controls_.wheel = static_cast<int>(Int(val, 0, 255, "wheel count"));
            else if (key == "speed") controls_.speed = static_cast<int>(Int(val, 0, 255, "wheel speed"));
            else if (key == "axis") controls_.axis = AxisSelector(val);
            else if (key == "function") controls_.function = static_cast<int>(Int(val, 0, 127, "function selector"));
            else if (key == "suspend") controls_.suspend = OnOff(val);
            else if (key == "command") controls_.command = OnOff(val);
            else Fail("unknown report field '" + key + "' (wheel, speed, axis, function, suspend, command)");
        }
    }

    // The axis selector by position, or by the axis a position selects.
    int AxisSelector(const std::string& text) const
    {
        static const std::map<std::string, int> names = {{"X", 1}, {"Y", 2}, {"Z", 3}, {"A", 7}};
        if (auto it = names.find(text); it != names.end()) return it->second;
        return static_cast<int>(Int(text, 0, 15, "axis selector"));
    }

    void ParseLine(Step& s)
    {
        const std::string& w = words_[0];
        if (w == "pendant") {
            Arity(0, 1);
            s.op = Op::Pendant;
            s.text = words_.size() > 1 ? words_[1] : "";
        } else if (w == "device") {
            Arity(3, 3);
            s.op = Op::Device;
            s.text = words_[1];
            s.a = Int(words_[2], 0, 0xFFFF, "vendor number");
            s.b = Int(words_[3], 0, 0xFFFF, "product number");
        } else if (w == "profile") {
            Arity(1, 1);
            s.op = Op::Profile;
            s.text = words_[1];
        } else if (w == "start") {
            Arity(0, 0);
            s.op = Op::Start;
        } else if (w == "led") {
            Arity(2, 2);
            s.op = Op::Led;
            s.a = Int(words_[1], INT32_MIN, INT32_MAX, "LED code");
            s.b = OnOff(words_[2]);
        } else if (w == "dro") {
            Arity(2, 2);
            s.op = Op::Dro;
            s.a = Int(words_[1], INT32_MIN, INT32_MAX, "DRO code");
            s.value = words_[2] == "nan" ? std::numeric_limits<double>::quiet_NaN() : Number(words_[2], "DRO value");
        } else if (w == "rotation") {
            Arity(1, 1);
            s.op = Op::Rotation;
            s.value = Number(words_[1], "rotation angle");
        } else if (w == "busy" || w == "no-g90" || w == "stop-flag") {
            Arity(1, 1);
            s.op = w == "busy" ? Op::Busy : w == "no-g90" ? Op::NoG90 : Op::StopFlag;
            s.a = Int(words_[1], w == "stop-flag" ? 0 : INT32_MIN, w == "stop-flag" ? 255 : INT32_MAX, w.c_str());
        } else if (w == "machine-counts" || w == "motion-counts") {
            Arity(2, 2);
            s.op = w == "machine-counts" ? Op::MachineCounts : Op::MotionCounts;
            s.a = Int(words_[1], INT32_MIN, INT32_MAX, "count");
            s.b = Int(words_[2], INT32_MIN, INT32_MAX, "count");
        } else if (w == "axis-velocity" || w == "axis-aux") {
            Arity(2, 2);
            s.op = w == "axis-velocity" ? Op::AxisVelocity : Op::AxisAux;
            s.a = Axis(words_[1]);
            s.b = Int(words_[2], INT32_MIN, INT32_MAX, "value");
        } else if (w == "report") {
            s.op = Op::Report;
            ReportFields(1);
            controls_.Encode(s.bytes);
        } else if (w == "turn") {
            if (words_.size() < 2) Fail("'turn' needs a count, such as +3 or -2");
            s.op = Op::Report;
            const auto counts = Int(words_[1], -127, 127, "wheel counts");
            controls_.wheel = static_cast<int>(((controls_.wheel + counts) % 256 + 256) % 256);
            ReportFields(2);
            controls_.Encode(s.bytes);
        } else if (w == "rest") {
            Arity(0, 0);
            s.op = Op::Report;
            controls_.speed = 0;
            controls_.Encode(s.bytes);
        } else if (w == "raw") {
            Arity(8, 8);
            s.op = Op::Report;
            for (int i = 0; i < 8; ++i) {
                const std::string& h = words_[static_cast<std::size_t>(i) + 1];
                s.bytes[i] = static_cast<std::uint8_t>(Int(h.size() > 2 && h[1] == 'x' ? h : "0x" + h, 0, 255, "report byte"));
            }
        } else if (w == "tick" || w == "update") {
            Arity(0, 1);
            s.op = w == "tick" ? Op::Tick : Op::Update;
            s.a = words_.size() > 1 ? Int(words_[1], 1, 100000, "count") : 1;
        } else if (w == "unplug") {
            Arity(0, 0);
            s.op = Op::Unplug;
        } else if (w == "replug") {
            Arity(0, 1);
            s.op = Op::Replug;
            s.text = words_.size() > 1 ? words_[1] : "";
        } else if (w == "config") {
            if (words_.size() < 2) Fail("'config' needs ok or escape");
            if (words_[1] == "escape") {
                Arity(1, 1);
                s.op = Op::ConfigEscape;
            } else if (words_[1] == "ok") {
                s.op = Op::ConfigOk;
                s.fields.assign(words_.begin() + 2, words_.end());
                for (const auto& f : s.fields)
                    if (f.find('=') == std::string::npos) Fail("expected Field=text after 'config ok', not '" + f + "'");
            } else {
                Fail("'config' takes ok or escape, not '" + words_[1] + "'");
            }
        } else if (w == "feedback") {
            Arity(1, 1);
            s.op = Op::Feedback;
            s.a = OnOff(words_[1]);
        } else if (w == "stop") {
            Arity(0, 0);
            s.op = Op::Stop;
        } else {
            Fail("unknown word '" + w + "'");
        }
    }

    // Start-up lines come before 'start'; pendant activity after it; nothing after 'stop'.
    void CheckOrder(const Step& s)
    {
        const bool setup = s.op == Op::Pendant || s.op == Op::Device || s.op == Op::Profile;
        if (stopped_) Fail("nothing can follow 'stop'");
        if (setup && started_) Fail("'" + words_[0] + "' belongs before 'start'");
        if (s.op == Op::Start) {
            if (started_) Fail("'start' given twice");
            started_ = true;
        }
        const bool needsStart = s.op == Op::Tick || s.op == Op::Unplug || s.op == Op::Replug ||
                                s.op == Op::ConfigOk || s.op == Op::ConfigEscape || s.op == Op::Stop;
        if (needsStart && !started_) Fail("'" + words_[0] + "' needs 'start' first");
        if (s.op == Op::Stop) stopped_ = true;
        if (s.op == Op::Unplug) {
            if (unplugged_) Fail("the pendant is unplugged already");
            unplugged_ = true;
        }
        if (s.op == Op::Replug) {
            if (!unplugged_) Fail("'replug' needs an 'unplug' first");
            unplugged_ = false;
        }
    }

    std::string file_;
    int line_ = 0;
    std::vector<std::string> words_;
    PendantControls controls_;
    bool started_ = false;
    bool stopped_ = false;
    bool unplugged_ = false;
};

}  // namespace

Session ParseSession(const std::string& text, const std::string& fileName)
{
    Session s = Parser(fileName).Run(text);
    bool started = false;
    for (const Step& step : s.steps) started = started || step.op == Op::Start;
    if (!started) throw SessionError(fileName + ": the session never says 'start'");
    return s;
}

Session LoadSession(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SessionError(path + ": cannot open the session file");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseSession(text.str(), path);
}

}  // namespace k7v::hostsim
