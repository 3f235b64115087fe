// A generated file read back: the counts the generator wrote, an independent scan and the
// reader agree, and every reference resolves; read from a file or from memory alike.
#include <gtest/gtest.h>

#include "a2l_generator.h"
#include "test_helpers.h"

namespace {

TEST(Generated, ReadBackAgreesWithTheGenerator) {
    a2l::gen::Options options;
    options.targetBytes = 2 << 20;
    options.seed = 7;
    a2l::gen::Counts counts;
    std::string text = a2l::gen::generateString(options, &counts);
    ASSERT_EQ(text.size(), counts.bytes);
    auto result = a2ltest::readOk(text);
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front().toString();
    const auto& doc = *result.document;
    a2ltest::expectScanCounts(doc, a2ltest::countBlocks(text), "generated");
    // The scan above checks every kind; the generator's own figures show it wrote them.
    EXPECT_EQ(std::make_tuple(doc.count(a2l::BlockKind::Measurement), doc.xcpEvents().size()),
              std::make_tuple(counts.measurements, counts.daqEvents));

    std::size_t bound = 0;
    for (const auto& m : doc.all<a2l::Measurement>()) {
        ASSERT_TRUE(doc.find<a2l::CompuMethod>(m.conversion)) << m.name;
        ASSERT_TRUE(m.ecuAddress.has_value()) << m.name;
        bound += m.daqEvents.fixedEvents.size();
    }
    EXPECT_GT(bound, 0u);
    for (const auto& c : doc.all<a2l::Characteristic>()) {
        ASSERT_TRUE(doc.find<a2l::RecordLayout>(c.deposit)) << c.name;
        EXPECT_EQ(c.axes.size(), c.type == "VALUE" ? 0u : c.type == "CURVE" ? 1u : 2u) << c.name;
    }
    auto vtab = doc.find<a2l::CompuVtab>("CV_STATE");
    ASSERT_TRUE(vtab);
    EXPECT_EQ(vtab->entries.at(2).second, "\"Error\"");

    // The same text as a file on disk reads alike.
    a2ltest::TempDir dir;
    auto fromFile = a2l::readFile(dir.write("g.a2l", text));
    ASSERT_TRUE(fromFile.ok()) << fromFile.error->toString();
    EXPECT_EQ(fromFile.document->files()[0].size, counts.bytes);
    EXPECT_EQ(fromFile.document->blockCount(), doc.blockCount());
}

}  // namespace
