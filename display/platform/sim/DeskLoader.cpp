#include "display/platform/sim/DeskLoader.h"

#include "display/platform/sim/DeskJsonReader.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <map>

namespace {

using Json = nlohmann::json;

QString quoted(const QString& text)
{
    return QStringLiteral("\"") + text + QStringLiteral("\"");
}

QString fromUtf8(const Json& string)
{
    return QString::fromStdString(string.get_ref<const std::string&>());
}

// Line and column (both from 1) of a byte offset into the text.
QString lineColumn(const std::string& text, std::size_t offset)
{
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QString::number(line) + QLatin1Char(':') + QString::number(column);
}

QString typeName(const Json& value)
{
    switch (value.type()) {
    case Json::value_t::null:
        return QStringLiteral("null");
    case Json::value_t::boolean:
        return QStringLiteral("a boolean");
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return QStringLiteral("a number");
    case Json::value_t::string:
        return QStringLiteral("a string");
    case Json::value_t::array:
        return QStringLiteral("an array");
    case Json::value_t::object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("undefined");
    }
}

// Reads one desk description. Every check that fails sets the one error
// message and makes the whole load fail.
class DeskParser
{
public:
    explicit DeskParser(const std::string& sourceName)
        : m_source(QString::fromStdString(sourceName))
    {}

    bool parse(const std::string& text, SimulatedDesk& desk);
    const QString& error() const { return m_error; }

private:
    // The output's settings as its first display gives them (null where
    // left out), for comparing the clones that follow.
    struct OutputSettings
    {
        int entry = 0;
        const Json* position = nullptr;
        const Json* modes = nullptr;
        const Json* currentMode = nullptr;
        const Json* adapterName = nullptr;
        const Json* restoreFails = nullptr;
    };

    bool fail(const QString& where, const QString& what)
    {
        m_error = m_source + QStringLiteral(": ") +
                  (where.isEmpty() ? QString() : where + QStringLiteral(": ")) + what;
        return false;
    }

    bool checkKeys(const Json& object, const QStringList& allowed, const QString& where);
    bool readDisplay(const Json& entry, int index, SimulatedDesk& desk);
    bool readInteger(const Json& value, const QString& key, qint64 min, qint64 max,
                     const QString& where, qint64& result);
    bool readBool(const Json& object, const char* key, const QString& where, bool& result);
    bool readString(const Json& object, const char* key, const QString& where,
                    std::optional<std::string>& result);
    bool readHex(const Json& value, const QString& key, const QString& where,
                 std::vector<uint8_t>& bytes);
    bool readModes(const Json& value, const QString& where, SimulatedDisplay& display);
    bool readRegistryValues(const Json& value, const QString& where, SimulatedDisplay& display);

    QString m_source;
    QString m_error;
    Json m_document;
    std::map<std::string, OutputSettings> m_outputs;
};

// The value of key in object, or null when the object has no such key.
const Json* find(const Json& object, const std::string& key)
{
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

bool DeskParser::checkKeys(const Json& object, const QStringList& allowed, const QString& where)
{
    for (const auto& item : object.items()) {
        const QString key = QString::fromStdString(item.key());
        if (!allowed.contains(key))
            return fail(where, QStringLiteral("unknown key %1 (known keys: %2)")
                                   .arg(quoted(key), allowed.join(QStringLiteral(", "))));
    }
    return true;
}

bool DeskParser::readInteger(const Json& value, const QString& key, qint64 min, qint64 max,
                             const QString& where, qint64& result)
{
    bool fits = false;
    QString number;
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<quint64>();
        fits = max >= 0 && unsignedValue <= quint64(max);
        result = fits ? qint64(unsignedValue) : 0;
        number = QString::number(unsignedValue);
    } else if (value.is_number_integer()) {
        result = value.get<qint64>();
        fits = result >= min && result <= max;
        number = QString::number(result);
    } else if (value.is_number_float()) {
        const double floating = value.get<double>();
        fits =
            std::floor(floating) == floating && floating >= double(min) && floating <= double(max);
        result = fits ? qint64(floating) : 0;
        number = QString::number(floating, 'g', 17);
    }
    if (!fits)
        return fail(where, QStringLiteral("%1 must be an integer from %2 to %3, not %4")
                               .arg(quoted(key))
                               .arg(min)
                               .arg(max)
                               .arg(value.is_number() ? number : typeName(value)));
    return true;
}

bool DeskParser::readBool(const Json& object, const char* key, const QString& where, bool& result)
{
    const Json* value = find(object, key);
    if (!value)
        return true;
    if (!value->is_boolean())
        return fail(where, QStringLiteral("%1 must be true or false, not %2")
                               .arg(quoted(QLatin1String(key)), typeName(*value)));
    result = value->get<bool>();
    return true;
}

bool DeskParser::readString(const Json& object, const char* key, const QString& where,
                            std::optional<std::string>& result)
{
    const Json* value = find(object, key);
    if (!value)
        return true;
    if (!value->is_string())
        return fail(where, QStringLiteral("%1 must be a string, not %2")
                               .arg(quoted(QLatin1String(key)), typeName(*value)));
    const std::string& text = value->get_ref<const std::string&>();
    // The platform hands these texts around as C strings.
    if (text.find('\0') != std::string::npos)
        return fail(
            where,
            QStringLiteral("%1 must not contain a NUL character").arg(quoted(QLatin1String(key))));
    result = text;
    return true;
}

bool DeskParser::readHex(const Json& value, const QString& key, const QString& where,
                         std::vector<uint8_t>& bytes)
{
    if (!value.is_string())
        return fail(where, QStringLiteral("%1 must be a string of hexadecimal digits, not %2")
                               .arg(quoted(key), typeName(value)));
    const QString text = fromUtf8(value);
    bytes.clear();
    bytes.reserve(size_t(text.size() / 2));
    int digits = 0;
    int high = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSpace())
            continue;
        const ushort u = c.unicode();
        int nibble = -1;
        if (u >= '0' && u <= '9')
            nibble = u - '0';
        else if (u >= 'a' && u <= 'f')
            nibble = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            nibble = u - 'A' + 10;
        if (nibble < 0)
            return fail(where, QStringLiteral("%1 has %2 at character %3, which is not a "
                                              "hexadecimal digit")
                                   .arg(quoted(key), quoted(QString(c)))
                                   .arg(i + 1));
        if (digits % 2 == 0)
            high = nibble;
        else
            bytes.push_back(uint8_t(high << 4 | nibble));
        ++digits;
    }
    if (digits % 2 != 0)
        return fail(where, QStringLiteral("%1 has an odd number of hexadecimal digits (%2); "
                                          "each byte takes two")
                               .arg(quoted(key))
                               .arg(digits));
    return true;
}

bool DeskParser::readModes(const Json& value, const QString& where, SimulatedDisplay& display)
{
    if (!value.is_array())
        return fail(
            where,
            QStringLiteral("\"modes\" must be an array of modes, not %1").arg(typeName(value)));
    static const QStringList keys = {QStringLiteral("width"), QStringLiteral("height"),
                                     QStringLiteral("bitsPerPixel"), QStringLiteral("frequency"),
                                     QStringLiteral("apply")};
    for (std::size_t i = 0; i < value.size(); ++i) {
        const QString modeWhere = where + QStringLiteral(": modes[%1]").arg(i);
        const Json& mode = value[i];
        if (!mode.is_object())
            return fail(modeWhere,
                        QStringLiteral("a mode must be an object, not %1").arg(typeName(mode)));
        if (!checkKeys(mode, keys, modeWhere))
            return false;
        qint64 figures[4] = {};
        for (int k = 0; k < 4; ++k) {
            const Json* figure = find(mode, keys[k].toStdString());
            if (!figure)
                return fail(modeWhere, QStringLiteral("missing %1").arg(quoted(keys[k])));
            if (!readInteger(*figure, keys[k], 0, std::numeric_limits<uint32_t>::max(), modeWhere,
                             figures[k]))
                return false;
        }
        int32_t applyResult = DisplayBackend::ChangeSuccessful;
        if (const Json* apply = find(mode, "apply")) {
            const QString outcome = apply->is_string() ? fromUtf8(*apply) : QString();
            if (outcome == QLatin1String("badmode"))
                applyResult = DisplayBackend::ChangeBadMode;
            else if (outcome == QLatin1String("fail"))
                applyResult = DisplayBackend::ChangeFailed;
            else if (outcome != QLatin1String("ok"))
                return fail(modeWhere,
                            QStringLiteral("\"apply\" must be \"ok\", \"badmode\" or \"fail\""));
        }
        display.mode(uint32_t(figures[0]), uint32_t(figures[1]), uint32_t(figures[2]),
                     uint32_t(figures[3]), applyResult);
    }
    return true;
}

bool DeskParser::readRegistryValues(const Json& value, const QString& where,
                                    SimulatedDisplay& display)
{
    if (!value.is_array())
        return fail(
            where,
            QStringLiteral("\"registryValues\" must be an array, not %1").arg(typeName(value)));
    static const QStringList keys = {QStringLiteral("name"), QStringLiteral("data")};
    for (std::size_t i = 0; i < value.size(); ++i) {
        const QString valueWhere = where + QStringLiteral(": registryValues[%1]").arg(i);
        const Json& object = value[i];
        if (!object.is_object())
            return fail(
                valueWhere,
                QStringLiteral("a registry value must be an object, not %1").arg(typeName(object)));
        if (!checkKeys(object, keys, valueWhere))
            return false;
        std::optional<std::string> name;
        if (!readString(object, "name", valueWhere, name))
            return false;
        if (!name)
            return fail(valueWhere, QStringLiteral("missing \"name\""));
        std::vector<uint8_t> data;
        if (const Json* hex = find(object, "data");
            hex && !readHex(*hex, keys[1], valueWhere, data))
            return false;
        display.registryValue(*name, std::move(data));
    }
    return true;
}

bool DeskParser::readDisplay(const Json& entry, int index, SimulatedDesk& desk)
{
    QString where = QStringLiteral("displays[%1]").arg(index);
    static const QStringList keys = {
        QStringLiteral("output"),         QStringLiteral("position"),
        QStringLiteral("edid"),           QStringLiteral("modes"),
        QStringLiteral("currentMode"),    QStringLiteral("driverVersion"),
        QStringLiteral("active"),         QStringLiteral("mirroring"),
        QStringLiteral("present"),        QStringLiteral("keyOpens"),
        QStringLiteral("restoreFails"),   QStringLiteral("model"),
        QStringLiteral("deviceId"),       QStringLiteral("adapterName"),
        QStringLiteral("registryValues"), QStringLiteral("comment")};

    std::optional<std::string> output;
    if (!readString(entry, "output", where, output))
        return false;
    if (!output)
        return fail(where, QStringLiteral("missing \"output\" (the name of the output the "
                                          "display is attached to)"));
    if (output->empty())
        return fail(where, QStringLiteral("\"output\" must not be empty"));
    where += QStringLiteral(" (output %1)").arg(quoted(QString::fromStdString(*output)));
    if (!checkKeys(entry, keys, where))
        return false;

    SimulatedDisplay display(*output);

    // Settings of the output: given on its first display, repeated on a
    // clone only if they agree.
    auto found = m_outputs.find(*output);
    if (found != m_outputs.end()) {
        const OutputSettings& first = found->second;
        const char* const shared[] = {"position", "modes", "currentMode", "adapterName",
                                      "restoreFails"};
        const Json* const firstValues[] = {first.position, first.modes, first.currentMode,
                                           first.adapterName, first.restoreFails};
        for (int k = 0; k < 5; ++k) {
            const Json* value = find(entry, shared[k]);
            if (value && (!firstValues[k] || *value != *firstValues[k]))
                return fail(where, QStringLiteral("%1 differs from displays[%2], the first "
                                                  "display of this output; displays of one "
                                                  "output share its %1")
                                       .arg(quoted(QLatin1String(shared[k])))
                                       .arg(first.entry));
        }
    } else {
        OutputSettings settings;
        settings.entry = index;
        settings.position = find(entry, "position");
        settings.modes = find(entry, "modes");
        settings.currentMode = find(entry, "currentMode");
        settings.adapterName = find(entry, "adapterName");
        settings.restoreFails = find(entry, "restoreFails");

        if (!settings.position)
            return fail(where, QStringLiteral("missing \"position\" ([left, top] of the monitor "
                                              "on the desktop)"));
        const Json& position = *settings.position;
        if (!position.is_array() || position.size() != 2)
            return fail(where, QStringLiteral("\"position\" must be an array of two integers "
                                              "[left, top], not %1")
                                   .arg(typeName(position)));
        qint64 left = 0;
        qint64 top = 0;
        if (!readInteger(position[0], QStringLiteral("position[0]"),
                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                         where, left) ||
            !readInteger(position[1], QStringLiteral("position[1]"),
                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                         where, top))
            return false;
        display.at(int32_t(left), int32_t(top));

        if (!settings.modes)
            return fail(where, QStringLiteral("missing \"modes\" (use [] for an output that "
                                              "lists no mode)"));
        if (!readModes(*settings.modes, where, display))
            return false;
        if (settings.currentMode) {
            qint64 current = 0;
            if (!readInteger(*settings.currentMode, QStringLiteral("currentMode"), 0,
                             std::numeric_limits<int32_t>::max(), where, current))
                return false;
            if (size_t(current) >= display.modes.size())
                return fail(where, QStringLiteral("\"currentMode\" is %1, but \"modes\" has "
                                                  "%2 entries (indices from 0)")
                                       .arg(current)
                                       .arg(display.modes.size()));
            display.current(size_t(current));
        }
        if (!readString(entry, "adapterName", where, display.adapterName) ||
            !readBool(entry, "restoreFails", where, display.restoreFails))
            return false;
        m_outputs.emplace(*output, settings);
    }

    if (const Json* edid = find(entry, "edid")) {
        std::vector<uint8_t> bytes;
        if (!readHex(*edid, QStringLiteral("edid"), where, bytes))
            return false;
        display.withEdid(std::move(bytes));
    }
    if (const Json* comment = find(entry, "comment"); comment && !comment->is_string())
        return fail(where, QStringLiteral("\"comment\" must be a string"));
    if (!readString(entry, "driverVersion", where, display.driverVersion) ||
        !readString(entry, "model", where, display.model) ||
        !readString(entry, "deviceId", where, display.deviceId) ||
        !readBool(entry, "active", where, display.active) ||
        !readBool(entry, "mirroring", where, display.mirroring) ||
        !readBool(entry, "present", where, display.present) ||
        !readBool(entry, "keyOpens", where, display.keyOpens))
        return false;
    if (const Json* values = find(entry, "registryValues");
        values && !readRegistryValues(*values, where, display))
        return false;

    desk.display(display.output) = std::move(display);
    return true;
}

bool DeskParser::parse(const std::string& text, SimulatedDesk& desk)
{
    std::size_t offset = 0;
    QString syntaxError;
    if (!DeskJsonReader::read(text, m_document, offset, syntaxError)) {
        m_error = m_source + QLatin1Char(':') + lineColumn(text, offset) + QStringLiteral(": ") +
                  syntaxError;
        return false;
    }
    const Json& root = m_document;
    if (!root.is_object())
        return fail(QString(), QStringLiteral("the desk must be a JSON object with a "
                                              "\"displays\" array"));
    static const QStringList keys = {QStringLiteral("displays"), QStringLiteral("failures"),
                                     QStringLiteral("description")};
    if (!checkKeys(root, keys, QString()))
        return false;
    if (const Json* description = find(root, "description");
        description && !description->is_string())
        return fail(QString(), QStringLiteral("\"description\" must be a string"));
    const Json* displays = find(root, "displays");
    if (!displays)
        return fail(QString(), QStringLiteral("missing \"displays\" (the array of displays)"));
    if (!displays->is_array())
        return fail(
            QString(),
            QStringLiteral("\"displays\" must be an array, not %1").arg(typeName(*displays)));

    for (std::size_t i = 0; i < displays->size(); ++i) {
        const Json& entry = (*displays)[i];
        if (!entry.is_object())
            return fail(QStringLiteral("displays[%1]").arg(i),
                        QStringLiteral("a display must be an object, not %1").arg(typeName(entry)));
        if (!readDisplay(entry, int(i), desk))
            return false;
    }

    if (const Json* failures = find(root, "failures")) {
        if (!failures->is_array())
            return fail(
                QStringLiteral("failures"),
                QStringLiteral("must be an array of names, not %1").arg(typeName(*failures)));
        for (std::size_t i = 0; i < failures->size(); ++i) {
            const Json& entry = (*failures)[i];
            const QString name = entry.is_string() ? fromUtf8(entry) : QString();
            if (name == QLatin1String("monitors"))
                desk.failMonitorEnumeration();
            else if (name == QLatin1String("monitorInfo"))
                desk.failMonitorInfo();
            else if (name == QLatin1String("presentDevices"))
                desk.failPresentDevices();
            else if (name == QLatin1String("classDevices"))
                desk.failClassDevices();
            else
                return fail(QStringLiteral("failures[%1]").arg(i),
                            QStringLiteral("unknown failure %1 (known: \"monitors\", "
                                           "\"monitorInfo\", \"presentDevices\", "
                                           "\"classDevices\")")
                                .arg(entry.is_string() ? quoted(name) : typeName(entry)));
        }
    }
    return true;
}

} // namespace

bool DeskLoader::parseDesk(const std::string& text, const std::string& sourceName,
                           SimulatedDesk& desk, std::string* error)
{
    DeskParser parser(sourceName);
    SimulatedDesk parsed;
    if (!parser.parse(text, parsed)) {
        if (error)
            *error = parser.error().toStdString();
        return false;
    }
    desk = std::move(parsed);
    return true;
}

std::unique_ptr<SimulatedBackend>
DeskLoader::loadText(const std::string& text, const std::string& sourceName, std::string* error)
{
    SimulatedDesk desk;
    if (!parseDesk(text, sourceName, desk, error))
        return nullptr;
    return std::make_unique<SimulatedBackend>(desk);
}

std::unique_ptr<SimulatedBackend> DeskLoader::loadFile(const std::string& path, std::string* error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + ": cannot read the desk file: " + file.errorString().toStdString();
        return nullptr;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = path + ": cannot read the desk file: " + file.errorString().toStdString();
        return nullptr;
    }
    return loadText(text.toStdString(), path, error);
}
