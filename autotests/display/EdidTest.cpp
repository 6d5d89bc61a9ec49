#include "display/Edid.h"
#include "autotests/display/DisplayTestSupport.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

// Runs every decoder that has a checksum and header precondition and tells
// which succeeded.
std::vector<int32_t> checkedDecoderResults(const Edid& edid)
{
    std::string text;
    uint32_t number = 0;
    return {edid.manufacturerId(text), edid.modelName(text),        edid.nativeWidth(number),
            edid.nativeHeight(number), edid.nativeResolution(text), edid.screenSize(text)};
}

const std::vector<int32_t> AllFailed(6, 1);

TEST(Edid, ZeroBlockPassesTheChecksumButNotTheHeader)
{
    const std::vector<uint8_t> zeros(128, 0);
    const Edid edid(zeros.data());
    EXPECT_TRUE(edid.isChecksumValid());
    EXPECT_FALSE(edid.hasValidHeader());
    EXPECT_EQ(checkedDecoderResults(edid), AllFailed);
    uint8_t version = 9, revision = 9;
    edid.edidVersion(version, revision);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(revision, 0);
    std::string type;
    EXPECT_EQ(edid.inputType(type), 0);
    EXPECT_EQ(type, "a");
}

TEST(Edid, BrokenChecksumFailsCheckedDecodersAndLeavesOutputsAlone)
{
    EdidBlock block;
    block.bytes[127] += 1;
    const Edid edid(block.bytes.data());
    EXPECT_FALSE(edid.isChecksumValid());
    EXPECT_EQ(checkedDecoderResults(edid), AllFailed);
    std::string text = "kept";
    uint32_t width = 7;
    edid.manufacturerId(text);
    edid.nativeWidth(width);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(width, 7u);
}

// Every real sample gives the decoder outcomes recorded with it. The samples
// cover the field rules: name positions and lengths, sizes of zero, letters
// outside A to Z, broken checksums and headers.
TEST(Edid, DecodesEveryRealSample)
{
    const std::vector<EdidSample> samples = loadEdidSamples();
    ASSERT_FALSE(samples.empty());
    for (const EdidSample& sample : samples) {
        SCOPED_TRACE(sample.source);
        ASSERT_GE(sample.base.size(), 128u);
        const Edid edid(sample.base.data());
        const QJsonObject expected = sample.expected.value("decoders").toObject();
        EXPECT_EQ(edid.isChecksumValid(), expected.value("isChecksumValid").toBool());
        EXPECT_EQ(edid.hasValidHeader(), expected.value("hasValidHeader").toBool());

        uint8_t version = 0, revision = 0;
        edid.edidVersion(version, revision);
        EXPECT_EQ(version, expected.value("edidVersion").toArray()[0].toInt());
        EXPECT_EQ(revision, expected.value("edidVersion").toArray()[1].toInt());

        using TextDecoder = int32_t (Edid::*)(std::string&) const;
        const std::pair<const char*, TextDecoder> textDecoders[] = {
            {"manufacturerId", &Edid::manufacturerId},
            {"modelName", &Edid::modelName},
            {"inputType", &Edid::inputType},
            {"nativeResolution", &Edid::nativeResolution},
            {"screenSize", &Edid::screenSize}};
        for (const auto& [field, decoder] : textDecoders) {
            const QJsonArray outcome = expected.value(field).toArray();
            std::string text;
            EXPECT_EQ((edid.*decoder)(text), outcome[0].toInt()) << field;
            if (outcome[0].toInt() == 0) {
                EXPECT_EQ(text, latin1(outcome[1].toString())) << field;
            }
        }
        using NumberDecoder = int32_t (Edid::*)(uint32_t&) const;
        const std::pair<const char*, NumberDecoder> numberDecoders[] = {
            {"nativeWidth", &Edid::nativeWidth}, {"nativeHeight", &Edid::nativeHeight}};
        for (const auto& [field, decoder] : numberDecoders) {
            const QJsonArray outcome = expected.value(field).toArray();
            uint32_t number = 0;
            EXPECT_EQ((edid.*decoder)(number), outcome[0].toInt()) << field;
            if (outcome[0].toInt() == 0) {
                EXPECT_EQ(number, uint32_t(outcome[1].toInt())) << field;
            }
        }
    }
}

} // namespace
