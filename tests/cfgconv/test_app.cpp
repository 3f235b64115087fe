// The converter's jobs end to end on real A2L files: in-process through
// runConverter(), and through the built QuillmoorConverter.exe.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "a2l_generator.h"
#include "cfgconv/app.hpp"
#include "cfgconv/zstream.hpp"
#include "process_id.hpp"
#include "xml_check.hpp"

using namespace cfgconv;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = CFGCONV_SAMPLE_A2L;
const fs::path kSharedDir = QUILLMOOR_SHARED_A2L_DIR;
const char* const kTargets[] = {"tarVix=1.4.4", "tarVix=1.5.5", "tarVix=2017.06.0"};

struct JobRun {
    int rc = -1;
    std::string out;
    std::vector<std::string> deliveries;
    std::string err;
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);)
            v.push_back(l);
        return v;
    }
    std::string status() const {
        auto l = lines();
        return l.empty() ? std::string() : l.back();
    }
};

bool hasMarker(const std::string& s) {
    return s.find("Done.") != std::string::npos || s.find("Error.") != std::string::npos ||
           s.find("Warning:") != std::string::npos;
}

// Exactly one status line, last, alone in its delivery, matching the exit status.
void expectContract(const JobRun& r) {
    auto lines = r.lines();
    ASSERT_FALSE(lines.empty());
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_FALSE(hasMarker(lines[i])) << "line " << i << ": " << lines[i];
    const std::string& s = lines.back();
    ASSERT_FALSE(r.deliveries.empty());
    EXPECT_EQ(r.deliveries.back(), s + "\n");
    if (r.rc == 0) {
        EXPECT_EQ(s, "Done.");
    } else if (r.rc == 1) {
        EXPECT_EQ(s.rfind("Warning: ", 0), 0u) << s;
        EXPECT_FALSE(s.find("Done.") != std::string::npos || s.find("Error.") != std::string::npos)
            << s;
        EXPECT_EQ(s.find("Warning:", 1), std::string::npos) << s;
    } else {
        EXPECT_EQ(r.rc, 2);
        EXPECT_EQ(s.rfind("Error. ", 0), 0u) << s;
        EXPECT_FALSE(s.find("Done.") != std::string::npos ||
                     s.find("Warning:") != std::string::npos)
            << s;
        EXPECT_EQ(s.find("Error.", 1), std::string::npos) << s;
    }
}

JobRun run(std::vector<std::string> args) {
    RecordingSink sink;
    std::ostringstream err;
    JobRun r;
    r.rc = runConverter(args, sink, err);
    sink.flush();
    r.out = sink.all();
    r.deliveries = sink.deliveries;
    r.err = err.str();
    return r;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const fs::path& p, const std::string& s) {
    std::ofstream out(p, std::ios::binary);
    out << s;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("cfgconv_app_" + std::to_string(processId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::size_t fileCount() const {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(dir)) {
            (void)e;
            ++n;
        }
        return n;
    }
    fs::path dir;
};

// Converts with -i and with -z, decompresses the latter and checks the three agree
// and the XML is well-formed. Returns the -i run.
JobRun convertBothWays(const fs::path& a2l, const fs::path& dir, const std::string& target,
                       std::vector<std::string> extra = {}) {
    fs::path ind = dir / "out_i.cfginclude", z = dir / "out_z.cfginclude",
             dz = dir / "out_dz.cfginclude";
    for (const auto& p : {ind, z, dz})
        fs::remove(p);
    std::vector<std::string> a = {"convert", a2l.string(), ind.string(), "-i", "-l", target};
    a.insert(a.end(), extra.begin(), extra.end());
    JobRun ri = run(a);
    expectContract(ri);
    a[2] = z.string();
    a[3] = "-z";
    JobRun rz = run(a);
    expectContract(rz);
    EXPECT_EQ(ri.rc, rz.rc) << a2l;
    EXPECT_EQ(ri.status(), rz.status());
    if (ri.rc == 2) {
        EXPECT_FALSE(fs::exists(ind));
        EXPECT_FALSE(fs::exists(z));
        return ri;
    }
    JobRun rd = run({"decompress", z.string(), dz.string()});
    expectContract(rd);
    EXPECT_EQ(rd.rc, 0) << rd.out;
    std::string indented = slurp(ind);
    EXPECT_EQ(slurp(dz), indented) << a2l << " " << target;
    std::string why;
    EXPECT_TRUE(xmlFileWellFormed(ind.string(), &why)) << a2l << ": " << why;
    // Deterministic: the same job again gives the same bytes.
    a[2] = ind.string();
    a[3] = "-i";
    JobRun again = run(a);
    EXPECT_EQ(slurp(ind), indented);
    return ri;
}

// "....a2l:LINE:COLUMN: " somewhere in the text.
bool namesLineAndColumn(const std::string& s) {
    for (std::size_t p = s.find(".a2l:"); p != std::string::npos; p = s.find(".a2l:", p + 1)) {
        std::size_t i = p + 5, digits = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++digits;
        if (!digits || i >= s.size() || s[i] != ':')
            continue;
        std::size_t j = i + 1, digits2 = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
            ++j, ++digits2;
        if (digits2 && j + 1 < s.size() && s[j] == ':' && s[j + 1] == ' ')
            return true;
    }
    return false;
}

// Values of an attribute over the elements with that tag: attributeValues(doc, "<signal ",
// "event").
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

// Every signal's event is a channel of the file's own <events>.
void expectEventsListed(const std::string& doc) {
    auto channels = attributeValues(doc, "<event ", "channel");
    for (const auto& e : attributeValues(doc, "<signal ", "event"))
        EXPECT_NE(std::find(channels.begin(), channels.end(), e), channels.end())
            << "event " << e << " is not among the file's events";
}

std::vector<fs::path> sharedA2lFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(kSharedDir))
        if (e.is_regular_file() && e.path().extension() == ".a2l")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST_F(AppTest, SampleConvertsForEachGeneration) {
    JobRun g3 = convertBothWays(kSample, dir, "tarVix=2017.06.0", {"-p", "ECU1", "-n", "Bench"});
    EXPECT_EQ(g3.rc, 0) << g3.out;
    std::string doc = slurp(dir / "out_i.cfginclude");
    EXPECT_NE(doc.find("<station name=\"Bench\" prefix=\"ECU1\" byteOrder=\"little\">"),
              std::string::npos);
    EXPECT_NE(doc.find("<signal name=\"ECU1.nEngine\" a2lName=\"nEngine\" address=\"0x70000000\""),
              std::string::npos);
    // RAT_FUNC 0 1 40 0 0 1 maps phys to raw = phys + 40: written as phys = raw - 40.
    EXPECT_NE(doc.find("<conversion id=\"CM_TEMP\" kind=\"linear\" factor=\"1\" offset=\"-40\""),
              std::string::npos);
    // raw = 1000 phys / (phys + 1) inverts to phys = -raw / (raw - 1000).
    EXPECT_NE(
        doc.find(
            "id=\"CM_LAMBDA\" kind=\"rational\" num1=\"-1\" num0=\"0\" den1=\"1\" den0=\"-1000\""),
        std::string::npos);
    EXPECT_NE(
        doc.find(
            "<event channel=\"0\" name=\"10 ms task\" shortName=\"10ms\" cycleNs=\"10000000\""),
        std::string::npos);
    EXPECT_NE(doc.find("<param name=\"canIdMaster\" value=\"0x7E0\"/>"), std::string::npos);
    EXPECT_NE(doc.find("dims=\"2x2\""), std::string::npos);
    EXPECT_EQ(doc.find("Bench\" prefix=\"ECU1\"", doc.find("</station>")), std::string::npos);

    JobRun g2 = convertBothWays(kSample, dir, "tarVix+1.5.5-2017.02.0");
    EXPECT_EQ(g2.rc, 1);
    EXPECT_NE(g2.status().find("4 of 21 measurements left out"), std::string::npos) << g2.status();
    for (const char* name : {"rLambda", "rPedal", "stIdleActuator", "pwrEngine"})
        EXPECT_NE(g2.status().find(name), std::string::npos) << name;
    doc = slurp(dir / "out_i.cfginclude");
    EXPECT_NE(doc.find("name=\"vWheel[1][0]\" a2lName=\"vWheel\" address=\"0x7000004C\""),
              std::string::npos);

    JobRun g1 = convertBothWays(kSample, dir, "tarVix=1.4.4");
    EXPECT_EQ(g1.rc, 1);
    EXPECT_NE(g1.status().find("11 of 21 measurements left out"), std::string::npos) << g1.status();
    EXPECT_NE(g1.status().find("distOdometer"), std::string::npos);
    doc = slurp(dir / "out_i.cfginclude");
    EXPECT_EQ(doc.find("uint64"), std::string::npos);
    EXPECT_EQ(doc.find("bitMask"), std::string::npos);
    EXPECT_NE(doc.find("format=\"1\""), std::string::npos);
}

// A DAMOS-era file (ASAP2 1.21, Latin-1, CRLF) that gives its addresses only in IF_DATA
// KP_BLOBs: every measurement with an address the file agrees on is written, at every target.
TEST_F(AppTest, KpBlobAddressedFileConvertsAtEveryTarget) {
    const fs::path file = fs::path(CFGCONV_TEST_DATA) / "kp_blob_tcu.a2l";
    for (const char* t : kTargets) {
        SCOPED_TRACE(t);
        JobRun r = convertBothWays(file, dir, t);
        EXPECT_EQ(r.rc, 1);
        EXPECT_NE(r.out.find("Took the address of 3 measurement(s) without ECU_ADDRESS from their "
                             "IF_DATA KP_BLOB"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.status().find("2 of 6 measurements left out"), std::string::npos) << r.status();
        const std::string doc = slurp(dir / "out_i.cfginclude");
        EXPECT_EQ(attributeValues(doc, "<signal ", "a2lName"),
                  (std::vector<std::string>{"t_Oel", "n_Mot", "v_Fzg", "p_Kupp"}));
        EXPECT_EQ(
            attributeValues(doc, "<signal ", "address"),
            (std::vector<std::string>{"0x00380420", "0x00380422", "0x00380500", "0x00380440"}));
        // Latin-1 text is read as Windows-1252: the unit is a degree sign, not U+FFFD.
        EXPECT_NE(doc.find("unit=\"\u00b0C\""), std::string::npos);
    }
}

TEST_F(AppTest, EverySharedSampleConvertsOrFailsClearly) {
    if (!fs::is_directory(kSharedDir))
        GTEST_SKIP() << "no shared A2L samples at " << kSharedDir;
    int converted = 0;
    for (const auto& f : sharedA2lFiles()) {
        for (const char* t : kTargets) {
            SCOPED_TRACE(f.string() + " " + t);
            JobRun r = convertBothWays(f, dir, t);
            if (r.rc != 2)
                expectEventsListed(slurp(dir / "out_i.cfginclude"));
            if (r.rc == 2) {
                // An A2L error names file, line and column.
                EXPECT_TRUE(namesLineAndColumn(r.status())) << r.status();
            } else {
                ++converted;
            }
        }
    }
    EXPECT_GE(converted, 3 * 5);
    // engine_ecu.a2l includes a file that is missing: an error at the /include line.
    JobRun broken = run({"convert", (kSharedDir / "engine_ecu.a2l").string(),
                         (dir / "x.cfginclude").string(), "-i", "-l", "tarVix=2017.06.0"});
    EXPECT_EQ(broken.rc, 2);
    EXPECT_NE(broken.status().find("engine_ecu.a2l:"), std::string::npos) << broken.status();
    // The XCPlite demo records a copy of its parameters through an INSTANCE of a structure of
    // TYPEDEF_MEASUREMENTs (its GROUP lists it among the measurements): four signals.
    JobRun xcp = run({"convert", (kSharedDir / "xcplite" / "xcp_demo_autodetect.a2l").string(),
                      (dir / "x.cfginclude").string(), "-i", "-l", "tarVix=2017.06.0"});
    EXPECT_EQ(xcp.rc, 0) << xcp.out;
    const std::string doc = slurp(dir / "x.cfginclude");
    EXPECT_NE(doc.find("name=\"params_copy.delay_us\" a2lName=\"params_copy.delay_us\" "
                       "address=\"0x00032B7C\" extension=\"1\" type=\"uint32\""),
              std::string::npos);
    for (const char* c : {"test_byte1", "test_byte2", "counter_max"})
        EXPECT_NE(doc.find(std::string("name=\"params_copy.") + c + "\""), std::string::npos) << c;
}

TEST_F(AppTest, CompareReportsEditsWithAndWithoutVerbose) {
    std::string text = slurp(kSample);
    auto replace = [&](const std::string& from, const std::string& to) {
        auto pos = text.find(from);
        ASSERT_NE(pos, std::string::npos) << from;
        text.replace(pos, from.size(), to);
    };
    fs::path oldFile = dir / "old.a2l", newFile = dir / "new.a2l";
    spit(oldFile, text);
    replace("ECU_ADDRESS 0x70000000", "ECU_ADDRESS 0x70000100");  // nEngine moved
    auto gearStart = text.find("    /begin MEASUREMENT stGear");
    auto gearEnd =
        text.find("/end MEASUREMENT", gearStart) + std::string("/end MEASUREMENT\n").size();
    std::string gearBlock = text.substr(gearStart, gearEnd - gearStart);
    text.erase(gearStart, gearEnd - gearStart);  // stGear removed
    std::string added = gearBlock;
    added.replace(added.find("stGear"), 6, "stGearTarget");
    text.insert(text.find("    /* ---- record layouts"), added);  // stGearTarget added
    replace("COEFFS_LINEAR 0.1 0", "COEFFS_LINEAR 0.2 0");        // CM_TORQUE changed
    spit(newFile, text);

    JobRun r = run({"compare", oldFile.string(), newFile.string()});
    expectContract(r);
    EXPECT_EQ(r.rc, 0);
    const std::string& o = r.out;
    EXPECT_NE(o.find("~ signal nEngine: address 0x70000000 -> 0x70000100\n"), std::string::npos)
        << o;
    EXPECT_NE(o.find("- signal stGear\n"), std::string::npos);
    EXPECT_NE(o.find("+ signal stGearTarget\n"), std::string::npos);
    EXPECT_NE(
        o.find("~ signal trqRequest: conversion definition LINEAR COEFFS_LINEAR 0.1 0 -> LINEAR "
               "COEFFS_LINEAR 0.2 0"),
        std::string::npos)
        << o;
    EXPECT_NE(o.find("~ conversion CM_TORQUE: definition"), std::string::npos);
    // agIgnitionBase uses CM_TORQUE as well.
    EXPECT_NE(o.find("~ characteristic agIgnitionBase"), std::string::npos);
    EXPECT_NE(o.find("Summary: signals 1 added, 1 removed, 2 changed, 18 unchanged; "
                     "characteristics 0 added, "
                     "0 removed, 1 changed, 3 unchanged; conversions 0 added, 0 removed, 1 "
                     "changed, 11 unchanged"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("should be regenerated"), std::string::npos);
    EXPECT_EQ(o.find("    address:"), std::string::npos);

    JobRun v = run({"compare", oldFile.string(), newFile.string(), "-v"});
    expectContract(v);
    EXPECT_NE(v.out.find("    address: 0x70000000 -> 0x70000100: changed\n"), std::string::npos);
    EXPECT_NE(v.out.find("= signal tCoolant\n    address: 0x70000002: same\n"), std::string::npos);
    EXPECT_GT(v.lines().size(), r.lines().size() + 200);

    JobRun same = run({"compare", oldFile.string(), oldFile.string()});
    expectContract(same);
    EXPECT_NE(same.out.find("still valid"), std::string::npos);

    JobRun missing = run({"compare", oldFile.string(), (dir / "nope.a2l").string()});
    expectContract(missing);
    EXPECT_EQ(missing.rc, 2);
    // A file-level error names the file once, without a position.
    EXPECT_NE(missing.out.find("nope.a2l\": No such file or directory"), std::string::npos)
        << missing.out;
    EXPECT_EQ(missing.out.find(":0:0"), std::string::npos) << missing.out;
}

TEST_F(AppTest, ArgumentErrorsWriteNothing) {
    const std::string in = kSample.string(), out = (dir / "o.cfginclude").string();
    const std::vector<std::vector<std::string>> bad = {
        {"convert", in, out, "-i", "-p", "-l", "tarVix=1.4.4"},
        {"convert", in, out, "-i", "-p", "EC", "U1", "-l", "tarVix=1.4.4"},
        {"convert", in, out, "-i", "-z", "-l", "tarVix=1.4.4"},
        {"convert", in, out, "-l", "tarVix=1.4.4"},
        {"convert", in, out, "-i", "-l"},
        {"convert", in, out, "-i", "-l", "tarVix=1.6.0"},
        {"convert", in, out, "-i", "-q", "-l", "tarVix=1.4.4"},
        {"convert", in},
        {"compare", in},
        {"decompress", in, out, "extra"},
        {"frobnicate"},
    };
    for (const auto& a : bad) {
        JobRun r = run(a);
        expectContract(r);
        EXPECT_EQ(r.rc, 2);
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(fileCount(), 0u);
}

TEST_F(AppTest, MarkersInEchoedNamesAndPathsAreEscaped) {
#ifdef _WIN32
    // Windows file names cannot hold a colon.
    const std::string warning = "Warning";
    const std::string escapedWarning = "Warning";
#else
    const std::string warning = "Warning:";
    const std::string escapedWarning = "Warning%3A";
#endif
    fs::path sub = dir / ("Done. Error. " + warning + " here");
    fs::create_directories(sub);
    std::string text = slurp(kSample);
    // An identifier with dots that spells a marker, on a type the oldest loggers lack.
    auto pos = text.find("distOdometer");
    text.replace(pos, 12, "Done.Error.Odo");
    fs::path a2l = sub / (warning + " Done.a2l");
    spit(a2l, text);
    JobRun r = run({"convert", a2l.string(), (sub / "Error. out.cfginclude").string(), "-i", "-l",
                    "tarVix=1.4.4"});
    expectContract(r);
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.status().find("Done%2EError%2EOdo"), std::string::npos) << r.status();
    const fs::path echoed =
        dir / ("Done%2E Error%2E " + escapedWarning + " here") / (escapedWarning + " Done%2Ea2l");
    EXPECT_NE(r.out.find("Reading " + echoed.string()), std::string::npos) << r.out;
    // The file itself keeps the names as they are.
    std::string doc = slurp(sub / "Error. out.cfginclude");
    EXPECT_NE(doc.find("source=\"" + warning + " Done.a2l\""), std::string::npos);

    JobRun e = run({"convert", (sub / "missing Done.a2l").string(), (sub / "x").string(), "-i",
                    "-l", "tarVix=1.4.4"});
    expectContract(e);
    EXPECT_EQ(e.rc, 2);
    EXPECT_NE(e.status().find("missing Done%2Ea2l"), std::string::npos) << e.status();
}

TEST_F(AppTest, FailuresLeaveExistingOutputsUntouched) {
    fs::path out = dir / "existing.cfginclude";
    spit(out, "precious");
    fs::path broken = dir / "broken.a2l";
    spit(broken,
         "ASAP2_VERSION 1 71\n/begin PROJECT P \"\"\n  /begin MODULE M \"\"\n    /begin "
         "MEASUREMENT m \"\"\n");
    JobRun r = run({"convert", broken.string(), out.string(), "-i", "-l", "tarVix=2017.06.0"});
    expectContract(r);
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.status().find("broken.a2l:"), std::string::npos) << r.status();
    EXPECT_EQ(slurp(out), "precious");

    // Decompress of things that are not a compressed .cfginclude.
    const std::pair<const char*, std::string> inputs[] = {
        {"plain text", "<?xml version=\"1.0\"?><cfginclude format=\"3\"/>"},
        {"truncated", zlibCompress(std::string(5000, 'x')).substr(0, 20)},
        {"other zlib content", zlibCompress("just some text, not XML")},
        {"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"empty", ""},
    };
    for (const auto& [what, data] : inputs) {
        fs::path in = dir / "in.cfginclude";
        spit(in, data);
        JobRun d = run({"decompress", in.string(), out.string()});
        expectContract(d);
        EXPECT_EQ(d.rc, 2) << what;
        EXPECT_EQ(slurp(out), "precious") << what;
        // Same path: the input stays as it was.
        JobRun s = run({"decompress", in.string(), in.string()});
        EXPECT_EQ(s.rc, 2) << what;
        EXPECT_EQ(slurp(in), data) << what;
    }
    EXPECT_EQ(fileCount(), 3u);  // existing, broken.a2l, in.cfginclude: no temporary files

    // Convert onto its own input is refused; the A2L survives.
    fs::path copy = dir / "copy.a2l";
    fs::copy_file(kSample, copy);
    JobRun self = run({"convert", copy.string(), copy.string(), "-z", "-l", "tarVix=2017.06.0"});
    expectContract(self);
    EXPECT_EQ(self.rc, 2);
    EXPECT_EQ(slurp(copy), slurp(kSample));
}

TEST_F(AppTest, DecompressOntoItself) {
    fs::path z = dir / "demo.cfginclude", i = dir / "demo_i.cfginclude";
    ASSERT_EQ(run({"convert", kSample.string(), z.string(), "-z", "-l", "tarVix=2017.06.0"}).rc, 0);
    ASSERT_EQ(run({"convert", kSample.string(), i.string(), "-i", "-l", "tarVix=2017.06.0"}).rc, 0);
    JobRun d = run({"decompress", z.string(), z.string()});
    expectContract(d);
    EXPECT_EQ(d.rc, 0);
    EXPECT_EQ(slurp(z), slurp(i));
    // Decompressing it again is an error now (it is plain XML) and leaves it as it is.
    JobRun again = run({"decompress", z.string(), z.string()});
    EXPECT_EQ(again.rc, 2);
    EXPECT_EQ(slurp(z), slurp(i));
    EXPECT_EQ(fileCount(), 2u);
}

namespace {
struct Proc {
    int rc;
    std::string out;
};
// One argument for the shell that runs the converter.
std::string quoted(const std::string& argument) {
#ifdef _WIN32
    return "\"" + argument + "\"";
#else
    return "'" + argument + "'";
#endif
}
Proc runExe(const std::string& args) {
#ifdef _WIN32
    // cmd.exe takes the whole line in one more pair of quotes; stdout arrives as CRLF text.
    std::string cmd = "\"" + quoted(CFGCONV_EXE) + " " + args + " 2>NUL\"";
    FILE* p = _popen(cmd.c_str(), "rb");
#else
    std::string cmd = quoted(CFGCONV_EXE) + " " + args + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
#endif
    Proc r{-1, {}};
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
#ifdef _WIN32
    r.rc = _pclose(p);
    std::erase(r.out, '\r');
#else
    int st = pclose(p);
    r.rc = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
    return r;
}
}  // namespace

TEST_F(AppTest, ExecutableVersionLineAndExitStatus) {
    Proc v = runExe("");
    EXPECT_EQ(v.rc, 0);
    EXPECT_EQ(v.out, std::string("KOLDAN QuillmoorConverter 1.0.0\n"));
    Proc usage = runExe(quoted("-h"));
    EXPECT_EQ(usage.rc, 2);
    Proc ok = runExe("convert " + quoted(kSample.string()) + " " +
                     quoted((dir / "a.cfginclude").string()) + " -i -l tarVix=2017.06.0");
    EXPECT_EQ(ok.rc, 0);
    EXPECT_EQ(ok.out.substr(ok.out.size() - 6), "Done.\n");
    Proc warn = runExe("convert " + quoted(kSample.string()) + " " +
                       quoted((dir / "b.cfginclude").string()) +
                       " -z -n Bench -p P1 -l tarVix+1.5.5-2017.02.0");
    EXPECT_EQ(warn.rc, 1);
    EXPECT_NE(warn.out.rfind("\nWarning: 4 of 21"), std::string::npos) << warn.out;
    Proc dec = runExe("decompress " + quoted((dir / "b.cfginclude").string()) + " " +
                      quoted((dir / "b.cfginclude").string()));
    EXPECT_EQ(dec.rc, 0);
    EXPECT_EQ(dec.out.substr(dec.out.size() - 6), "Done.\n");
}

#ifndef _WIN32
// Windows has no SIGTERM to send to another process.
TEST_F(AppTest, InterruptedConvertLeavesOldOutputAndNoStrayFile) {
    a2l::gen::Options go;
    go.targetBytes = 20'000'000;
    go.seed = 3;
    fs::path big = dir / "big.a2l", out = dir / "out.cfginclude";
    a2l::gen::generateFile(big, go);
    spit(out, "previous");
    int interrupted = 0;
    // SIGTERM at different moments: while reading, building, writing, or after the end.
    for (int delayMs = 20; delayMs <= 600; delayMs += 40) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            FILE* o = std::freopen("/dev/null", "w", stdout);
            FILE* e = std::freopen("/dev/null", "w", stderr);
            (void)o;
            (void)e;
            execl(CFGCONV_EXE, CFGCONV_EXE, "convert", big.c_str(), out.c_str(), "-i", "-l",
                  "tarVix=2017.06.0", static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        kill(pid, SIGTERM);
        int st = 0;
        waitpid(pid, &st, 0);
        if (WIFSIGNALED(st))
            ++interrupted;
        std::string now = slurp(out);
        bool complete = now.rfind("<?xml", 0) == 0 && now.size() > 20 &&
                        now.compare(now.size() - 14, 14, "</cfginclude>\n") == 0;
        EXPECT_TRUE(now == "previous" || complete)
            << "after " << delayMs << " ms: " << now.size() << " bytes";
        EXPECT_EQ(fileCount(), 2u) << "after " << delayMs << " ms";
        if (now != "previous")
            spit(out, "previous");
    }
    EXPECT_GT(interrupted, 0);
}
#endif
