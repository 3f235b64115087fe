#include "cfgconv/target.hpp"

#include <charconv>

namespace cfgconv {

std::optional<Version> Version::parse(std::string_view text) {
    Version v;
    if (text.empty())
        return std::nullopt;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = text.find('.', pos);
        std::string_view part = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        // Digits only, at most 9 of them so a part always fits.
        if (part.empty() || part.size() > 9)
            return std::nullopt;
        std::uint32_t n = 0;
        auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), n);
        if (ec != std::errc() || ptr != part.data() + part.size())
            return std::nullopt;
        v.parts.push_back(n);
        if (v.parts.size() > 4)
            return std::nullopt;
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    while (!v.parts.empty() && v.parts.back() == 0)
        v.parts.pop_back();
    return v;
}

std::string Version::str() const {
    std::string s;
    for (std::size_t i = 0; i < std::max<std::size_t>(parts.size(), 3); ++i) {
        if (i)
            s += '.';
        s += std::to_string(i < parts.size() ? parts[i] : 0);
    }
    return s;
}

int compare(const Version& a, const Version& b) {
    std::size_t n = std::max(a.parts.size(), b.parts.size());
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t x = i < a.parts.size() ? a.parts[i] : 0;
        std::uint32_t y = i < b.parts.size() ? b.parts[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

namespace {
const Version kV144 = *Version::parse("1.4.4");
const Version kV154 = *Version::parse("1.5.4");
const Version kV155 = *Version::parse("1.5.5");
const Version kV201706 = *Version::parse("2017.06.0");
constexpr std::string_view kProduct = "tarVix";
}  // namespace

const Version& oldestLoggerVersion() {
    return kV144;
}

const Version& generationStart(Generation g) {
    switch (g) {
        case Generation::G1:
            return kV144;
        case Generation::G2:
            return kV155;
        case Generation::G3:
            break;
    }
    return kV201706;
}

Generation generationOf(const Version& v) {
    if (kV201706 <= v)
        return Generation::G3;
    if (kV155 <= v)
        return Generation::G2;
    return Generation::G1;
}

std::string Target::describe() const {
    std::string s = first.str();
    if (!last)
        return s + " and later";
    return s + (lastExclusive ? " up to before " : " up to ") + last->str();
}

std::optional<Target> parseTarget(std::string_view text, std::string* error) {
    auto fail = [&](std::string msg) -> std::optional<Target> {
        if (error)
            *error = std::move(msg);
        return std::nullopt;
    };
    if (text.empty())
        return fail("the -l value is empty");
    Target t;
    t.text = std::string(text);
    if (text.substr(0, kProduct.size()) != kProduct || text.size() == kProduct.size())
        return fail("unknown -l value '" + t.text +
                    "' (expected tarVix=VERSION, tarVix+FIRST-LAST or tarVix+FIRST)");
    char form = text[kProduct.size()];
    std::string_view rest = text.substr(kProduct.size() + 1);
    if (form == '=') {
        auto v = Version::parse(rest);
        if (!v)
            return fail("'" + std::string(rest) + "' in -l " + t.text + " is not a version");
        t.first = *v;
        if (*v == kV144) {
            t.last = kV154;
        } else if (*v == kV155) {
            t.last = kV201706;
            t.lastExclusive = true;
        } else if (!(*v == kV201706)) {
            return fail("unknown -l value '" + t.text +
                        "': tarVix= names a basic range by its start, one of 1.4.4, 1.5.5, "
                        "2017.06.0");
        }
    } else if (form == '+') {
        std::size_t dash = rest.find('-');
        std::string_view firstText = rest.substr(0, dash);
        auto v = Version::parse(firstText);
        if (!v)
            return fail("'" + std::string(firstText) + "' in -l " + t.text + " is not a version");
        t.first = *v;
        if (dash != std::string_view::npos) {
            auto e = Version::parse(rest.substr(dash + 1));
            if (!e)
                return fail("'" + std::string(rest.substr(dash + 1)) + "' in -l " + t.text +
                            " is not a version");
            if (*e < *v)
                return fail("the range in -l " + t.text + " ends before it starts");
            t.last = *e;
        }
    } else {
        return fail("unknown -l value '" + t.text +
                    "' (expected tarVix=VERSION, tarVix+FIRST-LAST or tarVix+FIRST)");
    }
    if (t.first < kV144)
        return fail("-l " + t.text + " starts before 1.4.4, the oldest logger version supported");
    t.generation = generationOf(t.first);
    return t;
}

}  // namespace cfgconv
