#include "a2l_generator.h"

#include <array>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace a2l::gen {

namespace {

// xorshift64*: deterministic for a seed, fast, good enough for test data.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : s_(0x9E3779B97F4A7C15ull ^ (std::uint64_t{seed} << 1 | 1)) {}
    std::uint64_t next() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 0x2545F4914F6CDD1Dull;
    }
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }

private:
    std::uint64_t s_;
};

constexpr std::array<std::string_view, 8> kTypes{"UBYTE", "SBYTE", "UWORD",        "SWORD",
                                                 "ULONG", "SLONG", "FLOAT32_IEEE", "FLOAT64_IEEE"};
constexpr std::array<std::string_view, 8> kLimits{"0 255",         "-128 127",
                                                  "0 65535",       "-32768 32767",
                                                  "0 4.29497e+09", "-2.14748e+09 2.14748e+09",
                                                  "-1e+12 1e+12",  "-1e+12 1e+12"};
constexpr std::array<std::string_view, 7> kMethods{
    "CM_IDENT", "CM_LINEAR", "CM_RATFUNC", "CM_TABINTP", "CM_TABNOINTP", "CM_VERB", "CM_FORM"};
constexpr std::array<std::string_view, 6> kWords{"Engine", "Speed", "Torque",
                                                 "Lambda", "Rail",  "Pressure"};

class Writer {
public:
    Writer(const Options& options, std::function<void(std::string_view)> sink)
        : opt_(options), rng_(options.seed), sink_(std::move(sink)) {
        buf_.reserve(kChunk + 4096);
    }

    Counts run() {
        prologue();
        std::uint64_t n = 0;
        while (written_ + buf_.size() < opt_.targetBytes) {
            object(n++);
        }
        epilogue(n);
        flush();
        counts_.bytes = written_;
        return counts_;
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;

    void put(std::string_view s) {
        buf_.append(s);
        for (char c : s) {
            counts_.lines += c == '\n';
        }
        if (buf_.size() >= kChunk) {
            flush();
        }
    }
    void putNum(std::uint64_t v) { put(std::to_string(v)); }
    void putHex(std::uint64_t v) {
        char tmp[24];
        int len = std::snprintf(tmp, sizeof tmp, "0x%llX", static_cast<unsigned long long>(v));
        put(std::string_view(tmp, static_cast<std::size_t>(len)));
    }
    void flush() {
        written_ += buf_.size();
        sink_(buf_);
        buf_.clear();
    }

    void prologue() {
        put("/* Generated A2L file for benchmarks: seed ");
        putNum(opt_.seed);
        put(" */\nASAP2_VERSION 1 71\n/begin PROJECT BenchProject \"Generated project\"\n"
            "  /begin HEADER \"Benchmark A2L\"\n    VERSION \"1.0\"\n    PROJECT_NO BENCH_1\n"
            "  /end HEADER\n  /begin MODULE BenchEcu \"Generated ECU\"\n"
            "    /begin A2ML\n      block \"IF_DATA\" taggedunion if_data {\n"
            "        \"CANAPE_EXT\" struct { int; taggedstruct { \"LINK_MAP\" struct { char[256]; "
            "ulong; uint; int; uint; int; uint; uint; }; }; };\n      };\n    /end A2ML\n"
            "    /begin MOD_COMMON \"\"\n      BYTE_ORDER MSB_LAST\n      ALIGNMENT_BYTE 1\n"
            "      ALIGNMENT_WORD 2\n      ALIGNMENT_LONG 4\n      ALIGNMENT_FLOAT32_IEEE 4\n"
            "      ALIGNMENT_FLOAT64_IEEE 8\n    /end MOD_COMMON\n"
            "    /begin MOD_PAR \"\"\n      EPK \"BENCH_EPK_1.0\"\n      ADDR_EPK 0x80000000\n"
            "      /begin MEMORY_SEGMENT Cal \"calibration\" DATA FLASH INTERN 0x80010000 0x10000 "
            "-1 -1 -1 -1 -1\n      /end MEMORY_SEGMENT\n    /end MOD_PAR\n"
            "    /begin IF_DATA XCP\n      /begin PROTOCOL_LAYER 0x0104 1000 2000 0 0 0 0 0 248 "
            "512 BYTE_ORDER_MSB_LAST ADDRESS_GRANULARITY_BYTE\n        OPTIONAL_CMD GET_ID\n"
            "      /end PROTOCOL_LAYER\n      /begin DAQ DYNAMIC 0 4 0 OPTIMISATION_TYPE_DEFAULT "
            "ADDRESS_EXTENSION_FREE IDENTIFICATION_FIELD_TYPE_RELATIVE_BYTE "
            "GRANULARITY_ODT_ENTRY_SIZE_DAQ_BYTE 0xF8 OVERLOAD_INDICATION_PID\n");
        static constexpr std::array<std::pair<const char*, unsigned>, 4> kEvents{
            {{"1ms", 1}, {"10ms", 10}, {"100ms", 100}, {"1000ms", 1000}}};
        for (std::size_t i = 0; i < kEvents.size(); ++i) {
            put("        /begin EVENT \"");
            put(kEvents[i].first);
            put("\" \"");
            put(kEvents[i].first);
            put("\" ");
            putNum(i);
            put(" DAQ 0xFF ");
            putNum(kEvents[i].second);
            put(" 6 0 /end EVENT\n");
            ++counts_.daqEvents;
        }
        put("      /end DAQ\n      /begin XCP_ON_UDP_IP 0x0104 5555 ADDRESS \"127.0.0.1\" "
            "/end XCP_ON_UDP_IP\n    /end IF_DATA\n");
        // One conversion of each kind, with their tables.
        put("    /begin COMPU_METHOD CM_IDENT \"identity\" IDENTICAL \"%6.2\" \"\" /end "
            "COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_LINEAR \"linear\" LINEAR \"%6.2\" \"rpm\"\n"
            "      COEFFS_LINEAR 0.25 -10\n    /end COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_RATFUNC \"rational\" RAT_FUNC \"%8.3\" \"Nm\"\n"
            "      COEFFS 0 1 0 0 0 1\n      REF_UNIT U_Nm\n    /end COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_TABINTP \"interpolated\" TAB_INTP \"%6.2\" \"V\"\n"
            "      COMPU_TAB_REF CT_INTP\n    /end COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_TABNOINTP \"stepped\" TAB_NOINTP \"%6.2\" \"V\"\n"
            "      COMPU_TAB_REF CT_NOINTP\n    /end COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_VERB \"verbal\" TAB_VERB \"%4.0\" \"\"\n"
            "      COMPU_TAB_REF CV_STATE\n    /end COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_FORM \"formula\" FORM \"%8.3\" \"degC\"\n"
            "      /begin FORMULA \"X1*0.1-40\" FORMULA_INV \"(X1+40)*10\" /end FORMULA\n"
            "    /end COMPU_METHOD\n"
            "    /begin COMPU_METHOD CM_RANGE \"ranges\" TAB_VERB \"%4.0\" \"\"\n"
            "      COMPU_TAB_REF CVR_LEVEL\n    /end COMPU_METHOD\n"
            "    /begin COMPU_TAB CT_INTP \"\" TAB_INTP 3 0 0 100 5 200 10 DEFAULT_VALUE_NUMERIC 0 "
            "/end COMPU_TAB\n"
            "    /begin COMPU_TAB CT_NOINTP \"\" TAB_NOINTP 2 0 0 1 5 /end COMPU_TAB\n"
            "    /begin COMPU_VTAB CV_STATE \"states\" TAB_VERB 3 0 \"Off\" 1 \"On\" 2 "
            "\"\\\"Error\\\"\" DEFAULT_VALUE \"unknown\" /end COMPU_VTAB\n"
            "    /begin COMPU_VTAB_RANGE CVR_LEVEL \"levels\" 2 0 10 \"low\" 11 255 \"high\" "
            "/end COMPU_VTAB_RANGE\n"
            "    /begin UNIT U_Nm \"torque\" \"Nm\" EXTENDED_SI SI_EXPONENTS 2 1 -2 0 0 0 0 "
            "/end UNIT\n"
            "    /begin RECORD_LAYOUT RL_VALUE FNC_VALUES 1 FLOAT32_IEEE COLUMN_DIR DIRECT "
            "/end RECORD_LAYOUT\n"
            "    /begin RECORD_LAYOUT RL_CURVE NO_AXIS_PTS_X 1 UWORD AXIS_PTS_X 2 UWORD "
            "INDEX_INCR DIRECT FNC_VALUES 3 UWORD COLUMN_DIR DIRECT /end RECORD_LAYOUT\n");
        counts_.compuMethods += 8;
        counts_.compuTabs += 2;
        counts_.compuVtabs += 1;
        counts_.compuVtabRanges += 1;
        counts_.units += 1;
        counts_.recordLayouts += 2;
    }

    void name(std::string_view prefix, std::uint64_t n) {
        put(prefix);
        put(kWords[n % kWords.size()]);
        put("_");
        putNum(n);
    }

    void object(std::uint64_t n) {
        std::uint32_t r = rng_.below(100);
        if (n % 16 == 0) {
            put("    /* ---- block ");
            putNum(n / 16);
            put(" ---- */\n");
        }
        if (r < 70) {
            measurement(n);
        } else if (r < 95) {
            characteristic(n);
        } else {
            axisPts(n);
        }
    }

    void measurement(std::uint64_t n) {
        std::uint32_t t = rng_.below(static_cast<std::uint32_t>(kTypes.size()));
        put("    /begin MEASUREMENT ");
        name("M_", n);
        put(" \"");
        put(kWords[(n / 7) % kWords.size()]);
        put(" signal ");
        putNum(n);
        put("\"\n      ");
        put(kTypes[t]);
        put(" ");
        put(kMethods[rng_.below(static_cast<std::uint32_t>(kMethods.size()))]);
        put(" 0 0 ");
        put(kLimits[t]);
        put("\n      ECU_ADDRESS ");
        putHex(0x70000000ull + n * 8);
        put("\n      ECU_ADDRESS_EXTENSION 0x0\n");
        if (rng_.below(4) == 0) {
            put("      BIT_MASK 0xFF\n      BYTE_ORDER MSB_FIRST\n");
        }
        if (rng_.below(8) == 0) {
            put("      ARRAY_SIZE 4\n");
        }
        put("      FORMAT \"%.3\"\n      PHYS_UNIT \"km/h\"\n");
        if (rng_.below(2) == 0) {
            put("      READ_WRITE\n      /begin IF_DATA XCP /begin DAQ_EVENT FIXED_EVENT_LIST "
                "EVENT ");
            putNum(rng_.below(4));
            put(" /end DAQ_EVENT /end IF_DATA\n");
        } else {
            put("      /begin IF_DATA CANAPE_EXT\n        100\n        LINK_MAP \"");
            name("M_", n);
            put("\" ");
            putHex(0x70000000ull + n * 8);
            put(" 0x0 0 0x0 1 0x0 0x0\n        DISPLAY 0 -1000 1000\n      /end IF_DATA\n");
        }
        put("    /end MEASUREMENT\n");
        ++counts_.measurements;
    }

    void characteristic(std::uint64_t n) {
        std::uint32_t kind = rng_.below(3);
        put("    /begin CHARACTERISTIC ");
        name("C_", n);
        put(" \"calibration ");
        putNum(n);
        put("\" ");
        put(kind == 0 ? "VALUE " : kind == 1 ? "CURVE " : "MAP ");
        putHex(0x80010000ull + n * 16);
        put(kind == 0 ? " RL_VALUE" : " RL_CURVE");
        put(" 0 CM_LINEAR 0 1000\n");
        for (std::uint32_t axis = 0; axis < kind; ++axis) {
            put("      /begin AXIS_DESCR STD_AXIS NO_INPUT_QUANTITY CM_IDENT 8 0 7000\n"
                "        FORMAT \"%5.0\" /* axis points */\n      /end AXIS_DESCR\n");
        }
        put("      FORMAT \"%8.3\"\n      EXTENDED_LIMITS -100 1100\n    /end CHARACTERISTIC\n");
        ++counts_.characteristics;
    }

    void axisPts(std::uint64_t n) {
        put("    /begin AXIS_PTS ");
        name("A_", n);
        put(" \"axis\" ");
        putHex(0x80020000ull + n * 32);
        put(" NO_INPUT_QUANTITY RL_CURVE 0 CM_IDENT 8 0 7000\n      DEPOSIT ABSOLUTE\n"
            "    /end AXIS_PTS\n");
        ++counts_.axisPts;
    }

    void epilogue(std::uint64_t n) {
        // Groups of up to 1000 objects, and one function: references by name.
        for (std::uint64_t first = 0; first < n; first += 1000) {
            put("    /begin GROUP G_");
            putNum(first / 1000);
            put(" \"group\"\n      /begin REF_MEASUREMENT");
            for (std::uint64_t i = first; i < n && i < first + 1000; i += 97) {
                put(" ");
                name("M_", i);
            }
            put(" /end REF_MEASUREMENT\n    /end GROUP\n");
            ++counts_.groups;
        }
        put("    /begin FUNCTION F_Main \"main function\" FUNCTION_VERSION \"1.0\"\n"
            "    /end FUNCTION\n  /end MODULE\n/end PROJECT\n");
        ++counts_.functions;
    }

    const Options& opt_;
    Rng rng_;
    std::function<void(std::string_view)> sink_;
    std::string buf_;
    std::uint64_t written_ = 0;
    Counts counts_;
};

}  // namespace

Counts generateFile(const std::filesystem::path& path, const Options& options) {
#ifdef _WIN32
    // Windows paths are UTF-16; fopen would take them in the ANSI code page.
    std::FILE* f = _wfopen(path.c_str(), L"wb");
#else
    std::FILE* f = std::fopen(path.c_str(), "wb");
#endif
    if (f == nullptr) {
        throw std::runtime_error("cannot write " + path.string());
    }
    bool ok = true;
    Writer writer(options, [&](std::string_view chunk) {
        ok = ok && std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
    });
    Counts counts = writer.run();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return counts;
}

std::string generateString(const Options& options, Counts* counts) {
    std::string out;
    Writer writer(options, [&](std::string_view chunk) { out.append(chunk); });
    Counts c = writer.run();
    if (counts != nullptr) {
        *counts = c;
    }
    return out;
}

}  // namespace a2l::gen
