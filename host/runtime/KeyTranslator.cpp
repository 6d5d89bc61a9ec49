#include "host/runtime/KeyTranslator.h"

#include "host/runtime/TestResultName.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <vector>

// The catalogue is a resource of this static library, which has to be
// registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(translations);
}

namespace {
std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

QString fromBytes(const std::string& bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    const QString text = utf8->toUnicode(bytes.data(), static_cast<int>(bytes.size()), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
}
} // namespace

bool KeyTranslator::load()
{
    initResources();
    return loadFile(QStringLiteral(":/translations/module_display_en.qm"));
}

bool KeyTranslator::loadFile(const QString& path)
{
    m_loaded = m_translator.load(path);
    if (m_loaded && QCoreApplication::instance())
        QCoreApplication::installTranslator(&m_translator);
    return m_loaded;
}

bool KeyTranslator::lookup(const std::string& key, QString* out) const
{
    if (!m_loaded || key.empty())
        return false;
    const QString translated = m_translator.translate(Context, key.c_str());
    if (translated.isEmpty())
        return false;
    *out = translated;
    return true;
}

bool KeyTranslator::translate(const std::string& key, QString* out) const
{
    if (lookup(key, out))
        return true;
    if (key.find('|') != std::string::npos) {
        QStringList sentences;
        for (const std::string& part : split(key, "|")) {
            QString sentence;
            if (!lookup(part, &sentence))
                return false;
            sentences << sentence;
        }
        *out = sentences.join(' ');
        return true;
    }
    const size_t colon = key.find(": ");
    if (colon != std::string::npos) {
        QString head;
        if (!lookup(key.substr(0, colon), &head))
            return false;
        QStringList items;
        for (const std::string& item : split(key.substr(colon + 2), ", ")) {
            QString translated;
            if (!lookup(item, &translated))
                return false;
            items << translated;
        }
        *out = head + QStringLiteral(": ") + items.join(QStringLiteral(", "));
        return true;
    }
    return false;
}

bool KeyTranslator::hasTranslation(const std::string& key) const
{
    QString ignored;
    return translate(key, &ignored);
}

QString KeyTranslator::text(const std::string& key) const
{
    QString translated;
    if (translate(key, &translated))
        return translated;
    return fromBytes(key);
}

std::string KeyTranslator::bytes(const std::string& key) const
{
    QString translated;
    if (translate(key, &translated))
        return translated.toStdString();
    return key;
}

QString KeyTranslator::resultName(uint32_t result) const
{
    const std::string name = TestResultName::of(result);
    if (m_loaded) {
        const QString translated = m_translator.translate("RESULT", name.c_str());
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromStdString(name);
}
