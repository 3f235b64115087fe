// The converter's jobs end to end on real A2L files, in-process and through the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cfgconv/zstream.hpp"
#include "job_support.hpp"
#include "xml_check.hpp"

using namespace cfgconv;
using namespace jobtest;
using AppTest = FolderTest;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = CFGCONV_SAMPLE_A2L;                 // every data type and conversion kind
const fs::path kDefaultSample = CFGCONV_DEFAULT_SAMPLE_A2L;  // every logger holds all of it
const fs::path kSharedDir = QUILLMOOR_SHARED_A2L_DIR;

// A path as the converter echoes it: UTF-8, with the system's separators.
std::string echoed(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}
const char* const kTargets[] = {"tarVix=1.4.4", "tarVix=1.5.5", "tarVix=2017.06.0"};

// Converts with -i and -z: the -i file is well-formed XML and the -z one decompresses to it.
Job convertBothWays(const fs::path& a2l, const fs::path& dir, const std::string& target,
                    std::vector<std::string> extra = {}) {
    fs::path ind = dir / "out_i.cfginclude", z = dir / "out_z.cfginclude",
             dz = dir / "out_dz.cfginclude";
    for (const auto& p : {ind, z, dz})
        fs::remove(p);
    std::vector<std::string> a = {"convert", a2l.string(), ind.string(), "-i", "-l", target};
    a.insert(a.end(), extra.begin(), extra.end());
    Job ri = run(a);
    a[2] = z.string();
    a[3] = "-z";
    Job rz = run(a);
    EXPECT_EQ(ri.rc, rz.rc) << a2l;
    EXPECT_EQ(ri.status(), rz.status());
    if (ri.rc == 2) {
        EXPECT_FALSE(fs::exists(ind));
        EXPECT_FALSE(fs::exists(z));
        return ri;
    }
    done({"decompress", z.string(), dz.string()});
    EXPECT_EQ(slurp(dz), slurp(ind)) << a2l << " " << target;
    std::string why;
    EXPECT_TRUE(xmlFileWellFormed(ind.string(), &why)) << a2l << ": " << why;
    return ri;
}

// `text` with its first `from` replaced by `to`.
std::string edited(std::string text, const std::string& from, const std::string& to) {
    const auto pos = text.find(from);
    EXPECT_NE(pos, std::string::npos) << from;
    return pos == std::string::npos ? text : text.replace(pos, from.size(), to);
}

// Values of an attribute over the elements with that tag, e.g. ("<signal ", "event").
std::vector<std::string> attributeValues(const std::string& doc, const std::string& tag,
                                         const std::string& attribute) {
    std::vector<std::string> out;
    const std::string key = " " + attribute + "=\"";
    for (std::size_t p = doc.find(tag); p != std::string::npos; p = doc.find(tag, p + 1)) {
        std::size_t end = doc.find('>', p);
        std::size_t a = doc.find(key, p);
        if (a == std::string::npos || a > end)
            continue;
        a += key.size();
        out.push_back(doc.substr(a, doc.find('"', a) - a));
    }
    return out;
}

}  // namespace

TEST_F(AppTest, SamplesConvertForEachGeneration) {
    using Texts = std::vector<std::string>;
    // says: in the job's lines; holds, lacks: in the file or not.
    auto check = [&](const fs::path& a2l, const std::string& target, int rc, std::size_t signals,
                     const Texts& says, const Texts& holds, const Texts& lacks = {},
                     const Texts& extra = {}) {
        SCOPED_TRACE(a2l.filename().string() + " " + target);
        Job r = convertBothWays(a2l, dir, target, extra);
        EXPECT_EQ(r.rc, rc) << r.out;
        EXPECT_FALSE(has(r.out, "more measurements left out"));  // all are listed
        EXPECT_FALSE(rc == 0 && has(r.out, "Left out")) << r.out;
        for (const auto& piece : says)
            EXPECT_PRED2(has, r.out, piece);
        const std::string doc = slurp(dir / "out_i.cfginclude");
        for (const auto& piece : holds)
            EXPECT_PRED2(has, doc, piece);
        for (const auto& piece : lacks)
            EXPECT_FALSE(has(doc, piece)) << piece;
        EXPECT_EQ(attributeValues(doc, "<signal ", "name").size(), signals);
    };
    check(kSample, "tarVix=2017.06.0", 0, 21, {},
          {"<station name=\"Bench\" prefix=\"ECU1\" byteOrder=\"little\">",
           "<signal name=\"ECU1.nEngine\" a2lName=\"nEngine\" address=\"0x70000000\"",
           // raw = 1000 phys / (phys + 1) inverts to phys = -raw / (raw - 1000).
           "id=\"CM_LAMBDA\" kind=\"rational\" num1=\"-1\" num0=\"0\" den1=\"1\" den0=\"-1000\"",
           "<event channel=\"0\" name=\"10 ms task\" shortName=\"10ms\" cycleNs=\"10000000\"",
           "<param name=\"canIdMaster\" value=\"0x7E0\"/>", "dims=\"2x2\"",
           "<range min=\"10\" max=\"199\" text=\"running\"/>"},
          {}, {"-p", "ECU1", "-n", "Bench"});
    check(kSample, "tarVix+1.5.5-2017.02.0", 1, 23,
          {"4 of 21 measurements left out", "rLambda, rPedal, stIdleActuator, pwrEngine"},
          {"name=\"vWheel[1][0]\" a2lName=\"vWheel\" address=\"0x7000004C\""});
    check(kSample, "tarVix=1.4.4", 1, 16, {"11 of 21 measurements left out", "distOdometer"},
          {"format=\"1\""}, {"uint64", "bitMask"});
    // A DAMOS-era file (ASAP2 1.21, Latin-1, CRLF) that gives its addresses only in IF_DATA
    // KP_BLOBs: every measurement with an address the file agrees on is written.
    for (const char* t : kTargets)
        check(
            fs::path(CFGCONV_TEST_DATA) / "kp_blob_tcu.a2l", t, 1, 4,
            {"Took the address of 3 measurement(s) without ECU_ADDRESS from their IF_DATA KP_BLOB",
             "2 of 6 measurements left out"},
            {"a2lName=\"t_Oel\" address=\"0x00380420\"", "a2lName=\"n_Mot\" address=\"0x00380422\"",
             "a2lName=\"v_Fzg\" address=\"0x00380500\"",
             "a2lName=\"p_Kupp\" address=\"0x00380440\"",
             // Latin-1 text is read as Windows-1252: the unit is a degree sign, not U+FFFD.
             "unit=\"\u00b0C\""});
    // The bundled sample converts completely for every range, the window's default too.
    for (const std::string t :
         {"tarVix=1.4.4", "tarVix=1.5.5", "tarVix+1.4.4-2017.02.0", "tarVix=2017.06.0"})
        check(kDefaultSample, t, 0, t == "tarVix=2017.06.0" ? 10 : 16, {}, {});
}

TEST_F(AppTest, EverySharedSampleConvertsOrFailsClearly) {
    if (!fs::is_directory(kSharedDir))
        GTEST_SKIP() << "no shared A2L samples at " << kSharedDir;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(kSharedDir))
        if (e.is_regular_file() && e.path().extension() == ".a2l")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    const std::regex position(R"(\.a2l:[0-9]+:[0-9]+: )");
    int converted = 0;
    for (const auto& f : files) {
        for (const char* t : kTargets) {
            SCOPED_TRACE(f.string() + " " + t);
            Job r = convertBothWays(f, dir, t);
            if (r.rc == 2) {
                // An A2L error names file, line and column; a part meant to be included (no
                // MODULE of its own) has nothing to convert.
                EXPECT_TRUE(std::regex_search(r.status(), position) ||
                            has(r.status(), "no MODULE inside a PROJECT, nothing to convert"))
                    << r.status();
                continue;
            }
            ++converted;
            // Every signal's event is a channel of the file's own <events>.
            const std::string doc = slurp(dir / "out_i.cfginclude");
            auto channels = attributeValues(doc, "<event ", "channel");
            for (const auto& e : attributeValues(doc, "<signal ", "event"))
                EXPECT_NE(std::find(channels.begin(), channels.end(), e), channels.end()) << e;
        }
    }
    EXPECT_GE(converted, 3 * 5);
    // The XCPlite demo records a copy of its parameters through an INSTANCE of a structure of
    // TYPEDEF_MEASUREMENTs (its GROUP lists it among the measurements): four signals.
    done({"convert", (kSharedDir / "xcplite" / "xcp_demo_autodetect.a2l").string(),
          (dir / "x.cfginclude").string(), "-i", "-l", "tarVix=2017.06.0"});
    const std::string doc = slurp(dir / "x.cfginclude");
    EXPECT_PRED2(has, doc,
                 "name=\"params_copy.delay_us\" a2lName=\"params_copy.delay_us\" "
                 "address=\"0x00032B7C\" extension=\"1\" type=\"uint32\"");
    for (const char* c : {"test_byte1", "test_byte2", "counter_max"})
        EXPECT_PRED2(has, doc, std::string("name=\"params_copy.") + c + "\"");
}

// In a folder whose name holds a percent sign: echoed texts keep their percent signs.
TEST_F(AppTest, CompareReportsEdits) {
    const fs::path sub = dir / "100% Prüfstand";
    fs::create_directories(sub);
    const fs::path oldFile = sub / "old.a2l", newFile = sub / "new.a2l", format = sub / "f.a2l";
    spit(oldFile, slurp(kSample));
    spit(format, edited(slurp(kSample), "LINEAR \"%8.2\" \"bar\"", "LINEAR \"%10.0\" \"bar\""));
    // nEngine moved, stGear removed, stGearTarget added, CM_TORQUE changed.
    std::string text = edited(slurp(kSample), "ECU_ADDRESS 0x70000000", "ECU_ADDRESS 0x70000100");
    auto gearStart = text.find("    /begin MEASUREMENT stGear");
    auto gearEnd =
        text.find("/end MEASUREMENT", gearStart) + std::string("/end MEASUREMENT\n").size();
    std::string added = text.substr(gearStart, gearEnd - gearStart);
    text.erase(gearStart, gearEnd - gearStart);
    text.insert(text.find("    /* ---- record layouts"), edited(added, "stGear", "stGearTarget"));
    spit(newFile, edited(text, "COEFFS_LINEAR 0.1 0", "COEFFS_LINEAR 0.2 0"));

    Job r = done({"compare", oldFile.string(), newFile.string()});
    for (const char* piece :
         {"~ signal nEngine: address 0x70000000 -> 0x70000100\n", "- signal stGear\n",
          "+ signal stGearTarget\n",
          "~ signal trqRequest: conversion definition LINEAR COEFFS_LINEAR 0.1 0 -> LINEAR "
          "COEFFS_LINEAR 0.2 0",
          "Summary: signals 1 added, 1 removed, 2 changed, 18 unchanged; characteristics 0 added, "
          "0 removed, 1 changed, 3 unchanged; conversions 0 added, 0 removed, 1 changed, 11 "
          "unchanged",
          "should be regenerated"})
        EXPECT_PRED2(has, r.out, piece);
    EXPECT_FALSE(has(r.out, "    address:") || has(r.out, "still valid")) << r.out;
    Job same = run({"compare", oldFile.string(), oldFile.string()});
    EXPECT_PRED2(has, same.out, "still valid");
    EXPECT_FALSE(has(same.out, "should be regenerated")) << same.out;
    // A conversion changed alone (its display format) asks for regeneration as well.
    Job f = done({"compare", oldFile.string(), format.string()});
    for (const std::string& piece :
         {"Reading " + echoed(oldFile), std::string("signals 0 added, 0 removed, 0 changed, 21 "),
          std::string("~ conversion CM_PRESSURE: format %8.2 -> %10.0\n"),
          std::string("should be regenerated")})
        EXPECT_PRED2(has, f.out, piece);
    EXPECT_FALSE(has(f.out, "%25") || has(f.out, "still valid")) << f.out;

    // A file-level error names the file once, without a position.
    Job missing = refused({"compare", oldFile.string(), (dir / "nope.a2l").string()},
                          {"nope.a2l\": No such file or directory"});
    EXPECT_FALSE(has(missing.out, ":0:0")) << missing.out;
}

// A real file of 529 measurements and a copy with two changes: -v shows only those two.
TEST_F(AppTest, VerboseCompareOfARealPairShowsTheChanges) {
    const fs::path real = kSharedDir / "A2L_Example.a2l";
    if (!fs::is_regular_file(real))
        GTEST_SKIP() << "no shared A2L samples at " << kSharedDir;
    const std::string upper = "\r\n\t\tREAD_WRITE\r\n\t\tECU_ADDRESS 0x70012470";
    spit(
        dir / "new.a2l",
        edited(edited(slurp(real), "ECU_ADDRESS 0x70012474", "ECU_ADDRESS 0x70012574"),
               "NO_COMPU_METHOD 0 0 -1000 1000" + upper, "NO_COMPU_METHOD 0 0 -1000 2000" + upper));
    Job v = run({"compare", real.string(), (dir / "new.a2l").string(), "-v"});
    const auto lines = v.lines();
    const auto comparing = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.starts_with("Comparing ");
    });
    ASSERT_NE(comparing, lines.end()) << v.out;
    const std::vector<std::string> after(comparing + 1, lines.end());
    ASSERT_EQ(after.size(), 10u) << v.out;
    EXPECT_EQ(after[0].rfind("Summary: signals 0 added, 0 removed, 2 changed, ", 0), 0u) << v.out;
    EXPECT_EQ(after[7], after[0]);
    EXPECT_EQ(after[9], "Done.");
    EXPECT_EQ(after[1], "~ signal backgroundlightmin");
    EXPECT_EQ(after[2], "    address: 0x70012474 -> 0x70012574");
    EXPECT_EQ(after[3].rfind("    unchanged: extension 0; data type A_UINT64; ", 0), 0u)
        << after[3];
    EXPECT_EQ(after[5], "    upper limit: 1000 -> 2000");
}

TEST_F(AppTest, MarkersInEchoedNamesAndPathsAreEscaped) {
#ifdef _WIN32
    // Windows file names cannot hold a colon.
    const std::string warning = "Warning", escapedWarning = "Warning";
#else
    const std::string warning = "Warning:", escapedWarning = "Warning%3A";
#endif
    fs::path sub = dir / ("Done. Error. " + warning + " here");
    fs::create_directories(sub);
    // An identifier with dots that spells a marker, on a type the oldest loggers lack.
    fs::path a2l = sub / (warning + " Done.a2l");
    spit(a2l, edited(slurp(kSample), "distOdometer", "Done.Error.Odo"));
    Job r = run({"convert", a2l.string(), (sub / "Error. out.cfginclude").string(), "-i", "-l",
                 "tarVix=1.4.4"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_PRED2(has, r.status(), "Done%2EError%2EOdo");
    const fs::path escaped =
        dir / ("Done%2E Error%2E " + escapedWarning + " here") / (escapedWarning + " Done%2Ea2l");
    EXPECT_PRED2(has, r.out, "Reading " + echoed(escaped));
    // The file itself keeps the names as they are.
    std::string doc = slurp(sub / "Error. out.cfginclude");
    EXPECT_PRED2(has, doc, "source=\"" + warning + " Done.a2l\"");

    refused({"convert", (sub / "missing Done.a2l").string(), (sub / "x").string(), "-i", "-l",
             "tarVix=1.4.4"},
            {"missing Done%2Ea2l"});
}

TEST_F(AppTest, FailuresLeaveExistingOutputsUntouched) {
    fs::path out = dir / "existing.cfginclude";
    spit(out, "precious");
    fs::path broken = dir / "broken.a2l";
    spit(broken,
         "ASAP2_VERSION 1 71\n/begin PROJECT P \"\"\n  /begin MODULE M \"\"\n    /begin "
         "MEASUREMENT m \"\"\n");
    refused({"convert", broken.string(), out.string(), "-i", "-l", "tarVix=2017.06.0"},
            {"broken.a2l:"});
    EXPECT_EQ(slurp(out), "precious");

    const std::pair<const char*, std::string> inputs[] = {
        {"plain text", "<?xml version=\"1.0\"?><cfginclude format=\"3\"/>"},
        {"truncated", zlibCompress(std::string(5000, 'x')).substr(0, 20)},
        {"other zlib content", zlibCompress("just some text, not XML")},
        {"empty", ""},
    };
    for (const auto& [what, data] : inputs) {
        fs::path in = dir / "in.cfginclude";
        spit(in, data);
        refused({"decompress", in.string(), out.string()}, {});
        EXPECT_EQ(slurp(out), "precious") << what;
        refused({"decompress", in.string(), in.string()}, {});  // the input stays as it was
        EXPECT_EQ(slurp(in), data) << what;
    }
    EXPECT_EQ(entries(dir).size(), 3u);  // existing, broken.a2l, in.cfginclude: no temporaries
    refused({"decompress", (dir / "gone.cfginclude").string(), out.string()},
            {"gone.cfginclude': no such file"});
    EXPECT_EQ(slurp(out), "precious");

    // Convert onto its own input is refused; the A2L survives.
    fs::path copy = dir / "copy.a2l";
    fs::copy_file(kSample, copy);
    refused({"convert", copy.string(), copy.string(), "-z", "-l", "tarVix=2017.06.0"}, {});
    EXPECT_EQ(slurp(copy), slurp(kSample));
}

// The built program: its version line alone, and the exit status of each kind of end.
TEST_F(AppTest, ExecutableVersionLineAndExitStatus) {
    const std::string a = (dir / "a.cfginclude").string(), b = (dir / "b.cfginclude").string();
    const struct {
        std::vector<std::string> args;
        int rc;
        const char* ends;  // the output ends with this line, or holds it ("\n...")
    } rows[] = {
        {{}, 0, "KOLDAN QuillmoorConverter 1.0.0\n"},
        {{"-h"}, 2, "\n"},
        {{"convert", kSample.string(), a, "-i", "-l", "tarVix=2017.06.0"}, 0, "\nDone.\n"},
        {{"convert", kSample.string(), b, "-z", "-n", "Bench", "-p", "P1", "-l",
          "tarVix+1.5.5-2017.02.0"},
         1,
         "\nWarning: 4 of 21"},
        {{"decompress", b, b}, 0, "\nDone.\n"},
    };
    for (const auto& row : rows) {
        Child c = runProgram(row.args);
        EXPECT_EQ(c.rc, row.rc) << c.out;
        const std::string end = row.ends;
        EXPECT_TRUE(c.out.ends_with(end) || (row.rc == 1 && has(c.out, end))) << c.out;
        EXPECT_TRUE(!row.args.empty() || c.out == end) << c.out;  // the version line alone
    }
}
