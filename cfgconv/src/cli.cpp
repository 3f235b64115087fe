#include "cfgconv/cli.hpp"

#include <tuple>

namespace cfgconv {

std::string usageText() {
    return "usage:\n"
           "  QuillmoorConverter convert IN.a2l OUT.cfginclude (-z|-i) [-n STATION] [-p PREFIX] -l "
           "TARGET\n"
           "  QuillmoorConverter compare OLD.a2l NEW.a2l [-v]\n"
           "  QuillmoorConverter decompress IN.cfginclude OUT.cfginclude\n"
           "  QuillmoorConverter            (prints the version)\n"
           "TARGET: tarVix=1.4.4 | tarVix=1.5.5 | tarVix=2017.06.0 | tarVix+FIRST-LAST | "
           "tarVix+FIRST\n"
           "-z writes the compressed form, -i the indented form.\n";
}

namespace {

bool isKnownOption(const std::string& a) {
    return a == "-z" || a == "-i" || a == "-n" || a == "-p" || a == "-l" || a == "-v";
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

// Why a station name or prefix cannot stand in signal names and the front-end's log, or
// nothing: blanks only, or a control character (a line break would split a log line).
std::string nameProblem(const std::string& s) {
    if (s.find_first_not_of(' ') == std::string::npos)
        return "is only blanks";
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            return std::string("contains the control character 0x") + kHex[c >> 4] + kHex[c & 15] +
                   " at position " + std::to_string(i + 1);
        }
    }
    return {};
}

}  // namespace

std::optional<Command> parseCommandLine(const std::vector<std::string>& args, std::string* error) {
    auto fail = [&](std::string msg) -> std::optional<Command> {
        *error = std::move(msg);
        return std::nullopt;
    };
    Command cmd;
    if (args.empty())
        return cmd;
    const std::string& verb = args[0];
    std::size_t paths = 2;
    if (verb == "convert") {
        cmd.kind = Command::Kind::Convert;
    } else if (verb == "compare") {
        cmd.kind = Command::Kind::Compare;
    } else if (verb == "decompress") {
        cmd.kind = Command::Kind::Decompress;
    } else {
        return fail("unknown command " + quoted(verb) +
                    " (expected convert, compare or decompress)");
    }
    const char* pathNames[3][2] = {
        {"input A2L", "output"}, {"old A2L", "new A2L"}, {"compressed input", "output"}};
    const auto& names = pathNames[cmd.kind == Command::Kind::Compare      ? 1
                                  : cmd.kind == Command::Kind::Decompress ? 2
                                                                          : 0];
    for (std::size_t i = 0; i < paths; ++i) {
        if (args.size() <= i + 1)
            return fail(verb + ": the " + names[i] + " path is missing");
        const std::string& p = args[i + 1];
        if (p.empty())
            return fail(verb + ": the " + names[i] + " path is empty");
        if (isKnownOption(p))
            return fail(verb + ": the " + names[i] + " path is missing (found option " + p + ")");
    }
    cmd.input = args[1];
    cmd.output = args[2];
    if (cmd.kind == Command::Kind::Decompress) {
        if (args.size() > 3) {
            const std::string& a = args[3];
            if (!a.empty() && a[0] == '-')
                return fail("decompress: unknown option " + quoted(a) + " (decompress takes none)");
            return fail("decompress: unexpected extra argument " + quoted(a));
        }
        return cmd;
    }
    if (cmd.kind == Command::Kind::Compare) {
        for (std::size_t i = 3; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "-v") {
                if (cmd.verbose)
                    return fail("compare: option -v given twice");
                cmd.verbose = true;
            } else if (!a.empty() && a[0] == '-') {
                return fail("compare: unknown option " + quoted(a) + " (only -v is accepted)");
            } else {
                return fail("compare: unexpected extra argument " + quoted(a));
            }
        }
        return cmd;
    }

    // convert: options in any order after the two paths.
    bool haveZ = false, haveI = false;
    std::optional<std::string> target;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-z" || a == "-i") {
            bool& flag = a == "-z" ? haveZ : haveI;
            if (flag)
                return fail("convert: option " + a + " given twice");
            flag = true;
            continue;
        }
        if (a == "-n" || a == "-p" || a == "-l") {
            std::optional<std::string>& slot = a == "-n"   ? cmd.station
                                               : a == "-p" ? cmd.prefix
                                                           : target;
            if (slot)
                return fail("convert: option " + a + " given twice");
            if (i + 1 >= args.size() || isKnownOption(args[i + 1]) || args[i + 1].empty()) {
                if (a == "-p")
                    return fail(
                        "convert: option -p has no value (a prefix of blanks only "
                        "leaves -p without one)");
                if (a == "-n")
                    return fail("convert: option -n has no station name");
                return fail(
                    "convert: option -l has no target version (is the versions list "
                    "empty?)");
            }
            slot = args[++i];
            continue;
        }
        if (!a.empty() && a[0] == '-')
            return fail("convert: unknown option " + quoted(a));
        return fail("convert: unexpected extra argument " + quoted(a) +
                    " (a station name or prefix with a blank arrives as two arguments)");
    }
    for (const auto& [value, option, what] : {std::tuple{&cmd.station, "-n", "station name"},
                                              std::tuple{&cmd.prefix, "-p", "prefix"}}) {
        if (!value->has_value())
            continue;
        std::string why = nameProblem(**value);
        if (!why.empty())
            return fail("convert: the " + std::string(what) + " after " + option + " " + why +
                        "; give a " + what + " or leave " + option + " out");
    }
    if (haveZ && haveI)
        return fail("convert: give one of -z and -i, not both");
    if (!haveZ && !haveI)
        return fail("convert: give one of -z (compressed) and -i (indented)");
    cmd.compressed = haveZ;
    if (!target)
        return fail("convert: option -l with the target version is missing");
    std::string why;
    auto t = parseTarget(*target, &why);
    if (!t)
        return fail("convert: " + why);
    cmd.target = *t;
    return cmd;
}

}  // namespace cfgconv
