#include "host/runtime/KeyTranslator.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {
// Every text literal of the module's key catalogue, read from its source so
// that a key added there without a translation fails here.
QStringList catalogueKeys()
{
    QFile file(qEnvironmentVariable("MODULE_DISPLAY_SOURCE_DIR") + "/module/Keys.cpp");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    QString source = QString::fromUtf8(file.readAll());
    source.remove(
        QRegularExpression(QStringLiteral("^#include[^\n]*"), QRegularExpression::MultilineOption));
    QStringList keys;
    const QRegularExpression literal(QStringLiteral("\"([^\"]*)\""));
    // One key per definition; adjacent literals are one text.
    for (const QString& statement : source.split(';')) {
        QString key;
        for (auto match = literal.globalMatch(statement); match.hasNext();)
            key += match.next().captured(1);
        // Configuration keys are read by the module, not shown; ": " and ", "
        // are the glue of the device hint.
        if (!key.startsWith(QLatin1String("CSAT")) && key.contains(QRegularExpression("[A-Z]")))
            keys << key;
    }
    return keys;
}

KeyTranslator& translator()
{
    static KeyTranslator instance;
    static bool loaded = instance.load();
    EXPECT_TRUE(loaded);
    return instance;
}
} // namespace

TEST(Translations, EveryKeyOfTheCatalogueHasAnEnglishText)
{
    const QStringList keys = catalogueKeys();
    EXPECT_GE(keys.size(), 60);
    for (const QString& key : keys) {
        EXPECT_TRUE(translator().hasTranslation(key.toStdString())) << key.toStdString();
        // No text key left in what the user reads.
        EXPECT_FALSE(
            translator().text(key.toStdString()).contains(QRegularExpression("[A-Z]{2,}_")))
            << key.toStdString();
    }
}

TEST(Translations, CompositeKeysAreTranslatedPieceByPiece)
{
    EXPECT_EQ(translator().text("AN_INTERNAL_ERROR_OCCURRED._|THIS_DOES_NOT_INDICATE_A_FAILURE._|"
                                "PLEASE_TRY_AGAIN."),
              "An internal error occurred. This does not indicate a failure. Please try again.");
    EXPECT_EQ(translator().text("POSSIBLE_DEFECTIVE_COMPONENTS: CABLES, SCREEN, CONNECTOR"),
              "Possible defective components: cables, screen, connector");
    EXPECT_EQ(translator().text("YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY."),
              "Your system can't reach the maximum resolution of your display.");
    // Plain values stay as they are, byte for byte.
    EXPECT_EQ(translator().bytes("1920x1080"), "1920x1080");
    EXPECT_EQ(translator().bytes("Caf\xe9: A, B"), "Caf\xe9: A, B");
    EXPECT_EQ(translator().text("Caf\xe9"), QString::fromLatin1("Caf\xe9"));
    EXPECT_FALSE(translator().hasTranslation("AN_INTERNAL_ERROR_OCCURRED._|NOT_A_KEY"));
    EXPECT_EQ(translator().resultName(3), "Not performed");
}
