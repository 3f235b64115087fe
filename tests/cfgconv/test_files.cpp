// The converter against file-system cases, signals, system limits and malformed command lines.
// Every job ends with one status line, loses no existing file and leaves no temporary file.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "a2l_generator.h"
#include "job_support.hpp"

using namespace cfgconv;
using namespace jobtest;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = CFGCONV_SAMPLE_A2L;
const std::string kTarget = "tarVix=2017.06.0";

// The arguments of a conversion to `out`, indented ("-i") or compressed ("-z").
std::vector<std::string> convert(const fs::path& out, const char* form = "-i",
                                 const fs::path& a2l = kSample) {
    return {"convert", a2l.string(), out.string(), form, "-l", kTarget};
}

#ifndef _WIN32
unsigned modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_mode;
}

bool isCompleteXml(const std::string& s) {
    return s.rfind("<?xml", 0) == 0 && s.size() > 20 &&
           s.compare(s.size() - 14, 14, "</cfginclude>\n") == 0;
}
#endif

class Files : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
#ifndef _WIN32
        ::umask(022);
#endif
    }
    // A compressed file of the sample, and its indented form.
    void makeCompressed() {
        z = dir / "demo.z";
        ind = dir / "demo.i";
        ASSERT_EQ(run(convert(z, "-z")).rc, 0);
        ASSERT_EQ(run(convert(ind)).rc, 0);
    }
    fs::path z, ind;
};

}  // namespace

#ifndef _WIN32
// Named pipes, device nodes, symbolic links, permission bits: POSIX file kinds and modes.
TEST_F(Files, FilesThatAreNoRegularFileAreRefusedWithoutWaiting) {
    makeCompressed();
    const fs::path fifo = dir / "fifo.cfginclude", device = dir / "null.cfginclude";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::vector<std::pair<fs::path, const char*>> rows{{fifo, "a FIFO"}};
    // A device node like /dev/null (making it needs root, as on build machines).
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        rows.emplace_back(device, "a character device");
    else
        std::printf("not root: the device row is left out\n");
    for (const auto& [path, says] : rows) {
        const unsigned kind = modeOf(path) & S_IFMT;
        for (const auto& args :
             {convert(path), convert(path, "-z"), {"decompress", z.string(), path.string()}}) {
            refused(args, {says, "not a regular file"});
            EXPECT_EQ(modeOf(path) & S_IFMT, kind) << args[0];  // still what it was
        }
    }
    // The FIFO and a device as inputs: an open() of the FIFO would wait here for a writer.
    const std::string f = fifo.string(), s = kSample.string(), out = (dir / "out").string();
    const std::pair<std::vector<std::string>, const char*> inputs[] = {
        {convert(out, "-i", fifo), "the input A2L '"},
        {{"compare", f, s}, "the old A2L '"},
        {{"compare", s, f}, "the new A2L '"},
        {{"decompress", f, out}, "'"},
        {{"decompress", "/dev/zero", out}, "'/dev/zero' is a character device"},
        {convert(out, "-i", "/dev/zero"), "the input A2L '/dev/zero' is a character device"},
    };
    for (const auto& [args, says] : inputs)
        refused(args, {says, "not a regular file", args[1] == f ? "is a FIFO" : ""});
    // Nothing but the files made above.
    EXPECT_EQ(entries(dir).size(), 2 + rows.size());
}

TEST_F(Files, LinkedOutputsReplaceTheLinkTarget) {
    fs::create_directories(dir / "real");
    fs::path target = dir / "real" / "out.cfginclude";
    spit(target, "previous");
    ::chmod(target.c_str(), 0640);
    // Each: a link (relative, absolute, to a link, dangling), what it holds, the file written.
    const std::tuple<fs::path, fs::path, fs::path> rows[] = {
        {dir / "rel.cfginclude", "real/out.cfginclude", target},
        {dir / "abs.cfginclude", target, target},
        {dir / "chain.cfginclude", "rel.cfginclude", target},
        {dir / "dangling.cfginclude", "real/new.cfginclude", dir / "real" / "new.cfginclude"},
    };
    for (const auto& [link, linkTo, written] : rows)
        fs::create_symlink(linkTo, link);
    for (const auto& [link, linkTo, written] : rows) {
        done(convert(link));
        EXPECT_TRUE(fs::is_symlink(link)) << link;
        EXPECT_EQ(fs::read_symlink(link), linkTo) << link;
        EXPECT_TRUE(isCompleteXml(slurp(written))) << link;
        spit(target, "previous");
    }
    EXPECT_EQ(modeOf(target) & 07777, 0640u);
    EXPECT_EQ(entries(dir / "real"),
              (std::vector<std::string>{"new.cfginclude", "out.cfginclude"}));
    // A link that leads back to itself is refused, and stays.
    fs::create_symlink("loop.cfginclude", dir / "loop.cfginclude");
    refused(convert(dir / "loop.cfginclude"), {"is a chain of too many symbolic links"});
    EXPECT_EQ(entries(dir).size(), 6u);
}

TEST_F(Files, ReadOnlyOutputsAreRefusedAndOthersKeepTheirMode) {
    makeCompressed();
    const struct {
        unsigned mode;
        bool refused;
    } rows[] = {{0444, true}, {0400, true}, {0640, false}, {0600, false}, {0664, false}};
    for (const auto& row : rows) {
        for (const auto& args :
             {convert(dir / "out", "-z"), {"decompress", z.string(), (dir / "out").string()}}) {
            fs::path out = dir / "out";
            spit(out, "previous");
            ASSERT_EQ(::chmod(out.c_str(), row.mode), 0);
            Job j = run(args);
            SCOPED_TRACE(::testing::Message() << std::oct << row.mode << " " << args[0]);
            EXPECT_EQ(j.rc, row.refused ? 2 : 0) << j.status();
            EXPECT_EQ(has(j.status(), "read-only"), row.refused);
            EXPECT_EQ(slurp(out) == "previous", row.refused);
            EXPECT_EQ(modeOf(out) & 07777, row.mode);
            ::chmod(out.c_str(), 0644);
            fs::remove(out);
        }
    }
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"demo.i", "demo.z"}));
}

#endif

// An output folder gets the file named after the input; a name of up to 255 bytes is written.
TEST_F(Files, OutputFoldersAndLongNamesGetTheFile) {
    makeCompressed();
    const fs::path out = dir / "Ausgabe", sub = dir / "sub";
    fs::create_directories(out);
    fs::create_directories(sub);
    const fs::path written = out / (kSample.stem().string() + ".cfginclude");
    Job c = done(convert(out));
    EXPECT_EQ(slurp(written), slurp(ind));
    EXPECT_EQ(c.lastProgress().rfind("Wrote " + written.string() + ": ", 0), 0u)
        << c.lastProgress();
    // Again: the file in the folder is replaced.
    done(convert(out.string() + "/", "-z"));
    EXPECT_EQ(slurp(written), slurp(z));
    // decompress keeps the input's file name.
    Job d = done({"decompress", z.string(), sub.string()});
    EXPECT_EQ(slurp(sub / "demo.z"), slurp(ind));
    EXPECT_EQ(d.lastProgress().rfind("Wrote " + (sub / "demo.z").string() + " (", 0), 0u)
        << d.lastProgress();
    // A folder that holds the input itself: decompress replaces it as with the same path;
    // convert would write the A2L's stem, which is no clash here.
    done({"decompress", written.string(), out.string()});
    EXPECT_EQ(slurp(written), slurp(ind));
    EXPECT_EQ(entries(out), std::vector<std::string>{written.filename().string()});
    EXPECT_EQ(entries(sub), std::vector<std::string>{"demo.z"});

    std::string umlauts;
    for (int i = 0; i < 125; ++i)
        umlauts += "\xC3\xBC";                                       // ü
    for (const auto& name : {std::string(240, 'a') + ".cfginclude",  // 251 bytes
                             std::string(244, 'b') + ".cfginclude",  // 255 bytes
                             umlauts}) {                             // 250 bytes, 125 characters
#ifdef _WIN32
        if (name == umlauts && underWine())
            continue;  // with the temporary file's suffix beyond Wine's host file system
#endif
        done(convert(dir / name));
        EXPECT_EQ(slurp(dir / name), slurp(ind));
        done({"decompress", z.string(), (dir / name).string()});
        EXPECT_EQ(slurp(dir / name), slurp(ind));
        fs::remove(dir / name);
    }
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"Ausgabe", "demo.i", "demo.z", "sub"}));
}

// Malformed command lines are refused before anything is read or written, with the usage.
TEST_F(Files, ArgumentErrorsAreWordedForTheJob) {
    const std::string in = kSample.string(), out = (dir / "o").string(), t = "tarVix=1.4.4";
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"decompress", ""}, "decompress: the compressed input path is empty"},
        {{"decompress", in}, "decompress: the output path is missing"},
        {{"decompress", "a", "b", "c"}, "extra argument 'c'"},
        {{"decompress", "a", "b", "-i"}, "unknown option '-i'"},
        {{"convert", in, out, "-i", "-p", "   ", "-l", t}, "the prefix after -p is only blanks"},
        {{"convert", in, out, "-i", "-p", "EC\nU1", "-l", t},
         "the prefix after -p contains the control character 0x0A at position 3"},
        {{"convert", in, out, "-i", "-p", "EC\x7F", "-l", t},
         "the prefix after -p contains the control character 0x7F"},
        {{"convert", in, out, "-i", "-n", "Bench\x1B[2J", "-l", t},
         "the station name after -n contains the control character 0x1B"},
        {{"convert", in, out, "-i", "-x", "-l", t}, "unknown option '-x'"},
        {{"convert", in, out, "-i", "-p", "-l", t}, "-p has no value"},
        {{"convert", in, out, "-i", "-l", t, "-p"}, "-p has no value"},
        {{"convert", in, out, "-i", "-n", "-p", "X", "-l", t}, "-n has no station"},
        {{"convert", in, out, "-i", "-z", "-l", t}, "not both"},
        {{"convert", in, out, "-l", t}, "one of -z"},
        {{"convert", in, out, "-i", "-p", "EC", "U1", "-l", t}, "extra argument 'U1'"},
        {{"convert", in, out, "-i", "-l"}, "-l has no target"},
        {{"convert", in, out, "-i"}, "-l with the target version is missing"},
        {{"convert", in, out, "-i", "-l", "tarVix=9.9"}, "unknown -l value"},
        {{"convert", in, out, "-i", "-i", "-l", t}, "-i given twice"},
        {{"convert", in, out, "-i", "-p", "A", "-p", "B", "-l", t}, "-p given twice"},
        {{"convert", in, "-i", "-l", t}, "output path is missing"},
        {{"convert"}, "input A2L path is missing"},
        {{"compare", in}, "new A2L path is missing"},
        {{"compare", in, in, "-x"}, "unknown option '-x'"},
        {{"compare", in, in, "c"}, "extra argument 'c'"},
        {{"compare", in, in, "-v", "-v"}, "-v given twice"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
    };
    for (const auto& [args, says] : rows)
        EXPECT_PRED2(has, refused(args, {says}).err, "usage:");
    // A status beyond 16000 characters is cut, so that its line leaves in one write.
    EXPECT_EQ(run({std::string(20000, 'x')}).status(),
              "Error. unknown command '" + std::string(15983, 'x') + " ...");
    EXPECT_TRUE(entries(dir).empty());
}

#ifndef _WIN32
TEST_F(Files, FileSizeLimitAndClosedOutputEndWithAStatus) {
    fs::path out = dir / "out.cfginclude";
    spit(out, "previous");
    Child limited = runProgram(convert(out), [] {
        const rlimit rl{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &rl);
    });
    EXPECT_EQ(limited.rc, 2);
    EXPECT_NE(limited.out.rfind("\nError. nothing written: "), std::string::npos) << limited.out;
    EXPECT_EQ(limited.out.back(), '\n');
    EXPECT_EQ(slurp(out), "previous");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"out.cfginclude"});

    // The reader of standard output is gone: the job still completes its file.
    Child orphan = runProgram(convert(out), nullptr, true);
    EXPECT_EQ(orphan.rc, 0);
    EXPECT_TRUE(isCompleteXml(slurp(out)));
    EXPECT_EQ(entries(dir), std::vector<std::string>{"out.cfginclude"});
}

TEST_F(Files, SignalsLeaveOldOutputAndNoStrayFile) {
    a2l::gen::Options go;
    go.targetBytes = 20'000'000;
    go.seed = 5;
    fs::path big = dir / "big.a2l", out = dir / "out.cfginclude";
    a2l::gen::generateFile(big, go);
    spit(out, "previous");
    int interrupted = 0;
    // SIGHUP (terminal or window closed) and SIGTERM at different moments: reading,
    // building, writing; the last time as soon as the temporary output exists.
    for (int delayMs = 20; delayMs <= 660; delayMs += 40) {
        const int signal = delayMs % 80 == 20 ? SIGHUP : SIGTERM;
        const pid_t pid = startProgram(convert(out, "-i", big));
        ASSERT_GE(pid, 0);
        if (delayMs < 660) {
            usleep(static_cast<useconds_t>(delayMs) * 1000);
        } else {
            for (int i = 0; i < 100000 && entries(dir).size() < 3; ++i)
                usleep(100);
            EXPECT_EQ(entries(dir).size(), 3u) << "no temporary output seen";
        }
        kill(pid, signal);
        int st = 0;
        waitpid(pid, &st, 0);
        if (WIFSIGNALED(st)) {
            ++interrupted;
            EXPECT_EQ(WTERMSIG(st), signal);
        }
        std::string now = slurp(out);
        EXPECT_TRUE(now == "previous" || isCompleteXml(now))
            << "after " << delayMs << " ms: " << now.size() << " bytes";
        EXPECT_EQ(entries(dir), (std::vector<std::string>{"big.a2l", "out.cfginclude"}))
            << "after " << delayMs << " ms";
        spit(out, "previous");
    }
    EXPECT_GT(interrupted, 0);
}
#endif

TEST_F(Files, AnIncludedFileIsNoOutput) {
    const fs::path part = dir / "part.a2l";
    const std::string unit = "/begin UNIT u \"\" \"m\" EXTENDED_SI /end UNIT\n";
    spit(part, unit);
    std::string text = slurp(kSample);
    std::size_t module = text.find("/begin MODULE");
    ASSERT_NE(module, std::string::npos);
    text.insert(text.find('\n', module) + 1, "/include \"part.a2l\"\n");
    fs::path a2l = dir / "main.a2l";
    spit(a2l, text);
    fs::create_directories(dir / "sub");
    std::vector<fs::path> outputs{part};
#ifndef _WIN32
    // A link to the included file too (MinGW's std::filesystem cannot make links).
    fs::create_symlink("../part.a2l", dir / "sub" / "link.a2l");
    outputs.push_back(dir / "sub" / "link.a2l");
#endif
    for (const fs::path& out : outputs) {
        for (const char* form : {"-i", "-z"}) {
            refused(convert(out, form, a2l), {"a file this job reads"});
            EXPECT_EQ(slurp(part), unit);
        }
    }
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"main.a2l", "part.a2l", "sub"}));
    done(convert(dir / "ok", "-i", a2l));
}

TEST_F(Files, AFileWithoutAModuleIsNothingToConvert) {
    std::string utf16;
    for (char c : slurp(kSample)) {
        utf16 += c;
        utf16 += '\0';
    }
    struct Row {
        const char* what;
        std::string content;
        const char* says;
    };
    const Row rows[] = {
        {"empty", "", "(the file is empty)"},
        {"blanks", "  \n\t\r\n   \n", "(the file holds only blanks)"},
        {"UTF-16 without a byte-order mark", utf16, "without a byte-order mark"},
        {"no PROJECT", "ASAP2_VERSION 1 71\n/* nothing else */\n", "nothing to convert"},
        {"PROJECT without MODULE", "/begin PROJECT p \"\" /end PROJECT\n", "nothing to convert"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::path a2l = dir / "in.a2l";
        spit(a2l, row.content);
        for (const char* form : {"-i", "-z"})
            refused(convert(dir / "out", form, a2l), {"no MODULE inside a PROJECT", row.says});
        refused({"compare", a2l.string(), kSample.string()}, {"no MODULE inside a PROJECT"});
    }
    EXPECT_EQ(entries(dir), std::vector<std::string>{"in.a2l"});
}

TEST_F(Files, ValuesThatCannotBeReadAreNamedWithTheirPosition) {
    fs::path in = dir / "in.a2l", out = dir / "out.cfginclude";
    fs::copy_file(fs::path(CFGCONV_TEST_DATA) / "unreadable_values.a2l", in);
    Job j = run(convert(out, "-i", in));
    EXPECT_EQ(j.rc, 1) << j.out;
    // Each: a name, the conversion it uses, and what follows the file name in its line.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"hexWord", "", ":6:75: warning: MEASUREMENT hexWord: ECU_ADDRESS 0xZZ is no address"},
        {"tooLong", "",
         ":7:75: warning: MEASUREMENT tooLong: ECU_ADDRESS "
         "0x10000000000000000000000000000000000000... is no address"},
        {"negative", "", ":8:76: warning: MEASUREMENT negative: ECU_ADDRESS -1 is no address"},
        {"badEvent", "", ":12:62: warning: DAQ event number 4294967296 is no event number"},
        {"wordLimit", "",
         ":18:59: warning: MEASUREMENT wordLimit: expected a number for the lower "
         "limit, found identifier \"low\""},
        // A mask read as 0 would record nothing but zeros.
        {"floatMask", "", ":19:93: warning: MEASUREMENT floatMask: BIT_MASK 1.5 is no unsigned"},
        {"wordMask", "",
         ":20:92: warning: MEASUREMENT wordMask: expected an unsigned integer for "
         "BIT_MASK, found string \"0xFF\""},
        {"stringEvent", "", ":22:63: warning: DAQ event number \"1\" is no event number"},
        {"noEvent", "", ":25:56: warning: EVENT without its event number"},
        {"noMask", "", ":27:90: warning: MEASUREMENT noMask: missing BIT_MASK"},
        {"noAddress", "", ":28:77: warning: MEASUREMENT noAddress: missing ECU_ADDRESS"},
        {"bigFactor", "conversion CM_BIG: ",
         ":4:62: warning: COMPU_METHOD CM_BIG: coefficient a 1e309 is beyond the range of a "
         "double, read as INF"},
        // A coefficient that is no number or missing would stand as 0 in the conversion.
        {"wordFactor", "conversion CM_WORD: ",
         ":14:65: warning: COMPU_METHOD CM_WORD: expected a number for coefficient b, found "
         "identifier \"x\""},
        {"shortFactor",
         "conversion CM_SHORT: ", ":15:66: warning: COMPU_METHOD CM_SHORT: missing coefficient b"},
    };
    for (const auto& [name, via, reason] : rows)
        EXPECT_PRED2(has, j.out,
                     std::string("Left out ") + name + ": " + via + in.string() + reason);
    // The limits are kept as what they are beyond: infinities, with a note and its position.
    EXPECT_PRED2(has, j.out,
                 "Read 2 real number(s) beyond the range of a double as an infinity or zero, "
                 "first:\n  " +
                     in.string() + ":9:");
    EXPECT_PRED2(has, j.out,
                 "The A2L reader tolerated 1 problem(s), first:\n  " + in.string() +
                     ":29:21: warning: duplicate COMPU_METHOD \"CM_WORD\"");
    EXPECT_PRED2(has, j.status(), "14 of 16 measurements left out");
    for (const char* piece : {"name=\"bigLimits\"", "min=\"-INF\" max=\"INF\"", "name=\"good\""})
        EXPECT_PRED2(has, slurp(out), piece);
}
