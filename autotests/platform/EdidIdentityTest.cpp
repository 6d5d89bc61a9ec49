#include "display/platform/EdidIdentity.h"
#include "EdidSampleFile.h"
#include "autotests/display/DisplayTestSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// What edid-decode says of a base block, in the identity's terms.
struct Decoded
{
    bool valid = false;
    std::optional<std::string> serialNumber;
    std::optional<int> week, year, modelYear;
    std::optional<std::string> productCode, productName;
};

std::optional<std::string> trimmed(const QString& text)
{
    std::string bytes = text.toLatin1().toStdString();
    bytes.erase(bytes.find_last_not_of(' ') + 1);
    return bytes.empty() ? std::nullopt : std::optional<std::string>(bytes);
}

Decoded edidDecode(const std::vector<uint8_t>& edid)
{
    QProcess process;
    process.start("edid-decode", QStringList());
    process.write(reinterpret_cast<const char*>(edid.data()), qint64(edid.size()));
    process.closeWriteChannel();
    process.waitForFinished();
    const QString out = QString::fromLatin1(process.readAllStandardOutput());
    Decoded decoded;
    // Only the base block counts; a header it cannot find ends the output early.
    const int start = out.indexOf("Block 0,");
    if (start < 0)
        return decoded;
    const QString block = out.mid(start, out.indexOf("Block 1,", start) - start);
    auto field = [&block](const char* pattern) {
        return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(block);
    };
    decoded.valid = !field(R"(^\s*Checksum: .*should be)").hasMatch();
    if (auto m = field(R"(^    Model: (\d+)$)"); m.hasMatch())
        decoded.productCode =
            QString("%1").arg(m.captured(1).toUInt(), 4, 16, QChar('0')).toUpper().toStdString();
    if (auto m = field(R"(^    Made in: week (\d+) of (\d+)$)"); m.hasMatch()) {
        decoded.week = m.captured(1).toInt();
        decoded.year = m.captured(2).toInt();
    } else if (auto m = field(R"(^    Made in: (\d+)$)"); m.hasMatch()) {
        decoded.year = m.captured(1).toInt();
    } else if (auto m = field(R"(^    Model year: (\d+)$)"); m.hasMatch()) {
        decoded.modelYear = m.captured(1).toInt();
    }
    if (auto m = field(R"(Display Product Serial Number: '(.*)'$)"); m.hasMatch())
        decoded.serialNumber = trimmed(m.captured(1));
    if (auto m = field(R"(^    Serial Number: (\d+)$)"); m.hasMatch() && !decoded.serialNumber)
        decoded.serialNumber = m.captured(1).toStdString();
    if (auto m = field(R"(Display Product Name: '(.*)'$)"); m.hasMatch())
        decoded.productName = trimmed(m.captured(1));
    return decoded;
}

// Every real EDID reads as Debian's edid-decode reads it: serial number
// (descriptor text before the number), date or model year, product code and
// name; a block it finds a bad checksum in, or no header, gives nothing.
TEST(EdidIdentity, EveryRealSampleReadsAsEdidDecodeReadsIt)
{
    ASSERT_FALSE(EdidSampleFile::all().empty());
    for (const EdidSampleFile::Sample& sample : EdidSampleFile::all()) {
        SCOPED_TRACE(sample.source);
        const Decoded expected = edidDecode(sample.full);
        const EdidIdentity identity(sample.full);
        ASSERT_EQ(identity.isValid(), expected.valid);
        if (!expected.valid) {
            EXPECT_FALSE(identity.productCode() || identity.serialNumber() ||
                         identity.manufactureYear() || identity.modelYear());
            continue;
        }
        EXPECT_EQ(identity.serialNumber(), expected.serialNumber);
        EXPECT_EQ(identity.manufactureWeek(), expected.week);
        EXPECT_EQ(identity.manufactureYear(), expected.year);
        EXPECT_EQ(identity.modelYear(), expected.modelYear);
        EXPECT_EQ(identity.productCode(), expected.productCode);
        EXPECT_EQ(identity.productName(), expected.productName);
    }
}

// The edges of each field, and inputs that must give nothing without
// reading past their end.
TEST(EdidIdentity, FieldEdgesAndBrokenInput)
{
    const char serialText[] = "\0\0\0\xFF\0F5V7893S1JKU\n";
    EdidBlock withSerial;
    std::copy(serialText, serialText + 18, withSerial.bytes.begin() + 90);
    withSerial.set(12, 0x39).set(16, 13).set(17, 29).fixChecksum();
    EdidBlock blankSerial = withSerial;
    std::fill(blankSerial.bytes.begin() + 95, blankSerial.bytes.begin() + 108, ' ');
    blankSerial.fixChecksum();

    struct Row
    {
        const char* name;
        std::vector<uint8_t> bytes;
        std::optional<std::string> serial;
        std::optional<int> week, year, modelYear;
    };
    auto extended = withSerial.bytes;
    extended.resize(128 * 3, 0x5A);
    const std::vector<Row> rows = {
        {"descriptor serial", withSerial.bytes, "F5V7893S1JKU", 13, 2019, {}},
        {"blank descriptor", blankSerial.bytes, "57", 13, 2019, {}},
        {"extension blocks", extended, "F5V7893S1JKU", 13, 2019, {}},
        {"no serial, week 0", EdidBlock().set(17, 23).fixChecksum().bytes, {}, {}, 2013, {}},
        {"model year", EdidBlock().set(16, 0xFF).set(17, 23).fixChecksum().bytes, {}, {}, {}, 2013},
        {"numeric serial",
         EdidBlock().set(15, 0x80).fixChecksum().bytes,
         "2147483648",
         {},
         1990,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const EdidIdentity identity(row.bytes);
        ASSERT_TRUE(identity.isValid());
        EXPECT_EQ(identity.serialNumber(), row.serial);
        EXPECT_EQ(identity.manufactureWeek(), row.week);
        EXPECT_EQ(identity.manufactureYear(), row.year);
        EXPECT_EQ(identity.modelYear(), row.modelYear);
        EXPECT_EQ(identity.productCode(), "1234");
        EXPECT_EQ(identity.productName(), "TEST PANEL");
    }

    const auto good = EdidBlock().bytes;
    const std::vector<std::vector<uint8_t>> broken = {
        {},
        {good.begin(), good.begin() + 127},
        EdidBlock().set(12, 1).bytes,              // checksum off
        EdidBlock().set(0, 1).fixChecksum().bytes, // header off, checksum holds
    };
    for (const auto& bytes : broken) {
        const EdidIdentity identity(bytes);
        EXPECT_FALSE(identity.isValid() || identity.productCode() || identity.manufactureYear());
    }
    EXPECT_FALSE(EdidIdentity(nullptr, 128).isValid());
}

} // namespace
