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

TEST(Edid, DecodesTheFieldsOfAValidBlock)
{
    const Edid edid(EdidBlock().bytes.data());
    std::string text;
    uint32_t width = 0, height = 0;
    EXPECT_EQ(edid.manufacturerId(text), 0);
    EXPECT_EQ(text, "ABC");
    EXPECT_EQ(edid.nativeWidth(width), 0);
    EXPECT_EQ(edid.nativeHeight(height), 0);
    EXPECT_EQ(width, 1920u);
    EXPECT_EQ(height, 1080u);
    EXPECT_EQ(edid.nativeResolution(text), 0);
    EXPECT_EQ(text, "1920x1080");
    EXPECT_EQ(edid.screenSize(text), 0);
    EXPECT_EQ(text, "52cm x 29cm");
    EXPECT_EQ(edid.modelName(text), 0);
    EXPECT_EQ(text, "TEST PANEL");
    EXPECT_EQ(edid.inputType(text), 0);
    EXPECT_EQ(text, "d");
}

TEST(Edid, ScreenSizeNeedsBothDimensions)
{
    for (int offset : {21, 22}) {
        const Edid edid(EdidBlock().set(offset, 0).fixChecksum().bytes.data());
        std::string text = "kept";
        EXPECT_EQ(edid.screenSize(text), 1) << offset;
        EXPECT_EQ(text, "kept");
        EXPECT_EQ(edid.nativeResolution(text), 0);
    }
}

TEST(Edid, ManufacturerLettersOutsideTheAlphabetAreKept)
{
    // 0 gives '@', 27 gives '[': 0b00000 11011 00001 = 0x0361.
    const Edid edid(EdidBlock().set(8, 0x03).set(9, 0x61).fixChecksum().bytes.data());
    std::string id;
    EXPECT_EQ(edid.manufacturerId(id), 0);
    EXPECT_EQ(id, "@[A");
}

struct NameCase
{
    const char* what;
    std::function<void(EdidBlock&)> change;
    int32_t status;
    std::string name;
};

TEST(Edid, ProductNameRules)
{
    const std::vector<NameCase> cases = {
        {"third descriptor", [](EdidBlock& b) { b.set(72 + 3, 0xFF).name(2, "THIRD"); }, 0,
         "THIRD"},
        {"byte 4 is not looked at", [](EdidBlock& b) { b.set(72 + 4, 0x55); }, 0, "TEST PANEL"},
        {"13 characters without line feed", [](EdidBlock& b) { b.name(1, "ABCDEFGHIJKLM"); }, 0,
         "ABCDEFGHIJKLM"},
        {"trailing spaces kept", [](EdidBlock& b) { b.name(1, "PANEL  "); }, 0, "PANEL  "},
        {"non-zero byte 2 is skipped", [](EdidBlock& b) { b.set(72 + 2, 1).name(3, "FOURTH"); }, 0,
         "FOURTH"},
        {"empty first name fails though another follows",
         [](EdidBlock& b) { b.name(1, "").name(2, "LATER"); }, 1, "kept"},
        {"no name descriptor", [](EdidBlock& b) { b.set(72 + 3, 0xFF); }, 1, "kept"},
    };
    for (const NameCase& c : cases) {
        EdidBlock block;
        c.change(block);
        const Edid edid(block.fixChecksum().bytes.data());
        std::string name = "kept";
        EXPECT_EQ(edid.modelName(name), c.status) << c.what;
        EXPECT_EQ(name, c.name) << c.what;
    }
}

// Every real sample gives the decoder outcomes recorded with it.
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
