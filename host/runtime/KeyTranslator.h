#pragma once

#include <QString>
#include <QTranslator>

#include <string>

// Turns the module's text keys into the user's language. The catalogue is a
// compiled Qt Linguist file built into the host; installing it also lets the
// module's own windows translate their texts (context "DISPLAY").
class KeyTranslator
{
public:
    static constexpr const char* Context = "DISPLAY";

    // Loads the catalogue built into the host and installs it in the
    // application, when there is one. False when it cannot be loaded.
    bool load();
    // Loads a catalogue from a .qm file instead (for checks).
    bool loadFile(const QString& path);

    // True when the key, or every part of it, has a translation.
    bool hasTranslation(const std::string& key) const;

    // The translation of a key. A key of several sentences joined by "|"
    // becomes the translations of its parts joined by a space; a list key
    // ("HEAD: A, B") has its head and items translated one by one. Texts
    // that are not keys (model names, resolutions) come back as they are,
    // their bytes read as UTF-8 when valid and as Latin-1 otherwise.
    QString text(const std::string& key) const;

    // The same as UTF-8 bytes; untranslated texts keep their exact bytes.
    std::string bytes(const std::string& key) const;

    // Translated name of a test result code.
    QString resultName(uint32_t result) const;

private:
    bool translate(const std::string& key, QString* out) const;
    bool lookup(const std::string& key, QString* out) const;

    QTranslator m_translator;
    bool m_loaded = false;
};
