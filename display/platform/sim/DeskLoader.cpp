#include "display/platform/sim/DeskLoader.h"

#include "display/platform/sim/StrictJsonCheck.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

namespace {

QString quoted(const QString& text)
{
    return QStringLiteral("\"") + text + QStringLiteral("\"");
}

// Line and column (both from 1) of a byte offset into the text.
QString lineColumn(const QByteArray& text, int offset)
{
    int line = 1;
    int column = 1;
    for (int i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QString::number(line) + QLatin1Char(':') + QString::number(column);
}

QString typeName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
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

    bool parse(const QByteArray& text, SimulatedDesk& desk);
    const QString& error() const { return m_error; }

private:
    struct OutputSettings
    {
        int entry = 0;
        QJsonValue position;
        QJsonValue modes;
        QJsonValue currentMode;
        QJsonValue adapterName;
        QJsonValue restoreFails;
    };

    bool fail(const QString& where, const QString& what)
    {
        m_error = m_source + QStringLiteral(": ") +
                  (where.isEmpty() ? QString() : where + QStringLiteral(": ")) + what;
        return false;
    }

    bool checkKeys(const QJsonObject& object, const QStringList& allowed, const QString& where);
    bool readDisplay(const QJsonObject& entry, int index, SimulatedDesk& desk);
    bool readInteger(const QJsonValue& value, const QString& key, qint64 min, qint64 max,
                     const QString& where, qint64& result);
    bool readBool(const QJsonObject& object, const QString& key, const QString& where,
                  bool& result);
    bool readString(const QJsonObject& object, const QString& key, const QString& where,
                    std::optional<std::string>& result);
    bool readHex(const QJsonValue& value, const QString& key, const QString& where,
                 std::vector<uint8_t>& bytes);
    bool readModes(const QJsonValue& value, const QString& where, SimulatedDisplay& display);
    bool readRegistryValues(const QJsonValue& value, const QString& where,
                            SimulatedDisplay& display);

    QString m_source;
    QString m_error;
    std::map<std::string, OutputSettings> m_outputs;
};

bool DeskParser::checkKeys(const QJsonObject& object, const QStringList& allowed,
                           const QString& where)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key()))
            return fail(where, QStringLiteral("unknown key %1 (known keys: %2)")
                                   .arg(quoted(it.key()), allowed.join(QStringLiteral(", "))));
    }
    return true;
}

bool DeskParser::readInteger(const QJsonValue& value, const QString& key, qint64 min, qint64 max,
                             const QString& where, qint64& result)
{
    const double number = value.toDouble();
    if (!value.isDouble() || std::floor(number) != number || number < double(min) ||
        number > double(max))
        return fail(
            where, QStringLiteral("%1 must be an integer from %2 to %3, not %4")
                       .arg(quoted(key))
                       .arg(min)
                       .arg(max)
                       .arg(value.isDouble() ? QString::number(number, 'g', 17) : typeName(value)));
    result = qint64(number);
    return true;
}

bool DeskParser::readBool(const QJsonObject& object, const QString& key, const QString& where,
                          bool& result)
{
    if (!object.contains(key))
        return true;
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return fail(
            where,
            QStringLiteral("%1 must be true or false, not %2").arg(quoted(key), typeName(value)));
    result = value.toBool();
    return true;
}

bool DeskParser::readString(const QJsonObject& object, const QString& key, const QString& where,
                            std::optional<std::string>& result)
{
    if (!object.contains(key))
        return true;
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return fail(
            where, QStringLiteral("%1 must be a string, not %2").arg(quoted(key), typeName(value)));
    const std::string text = value.toString().toStdString();
    // The platform hands these texts around as C strings.
    if (text.find('\0') != std::string::npos)
        return fail(where, QStringLiteral("%1 must not contain a NUL character").arg(quoted(key)));
    result = text;
    return true;
}

bool DeskParser::readHex(const QJsonValue& value, const QString& key, const QString& where,
                         std::vector<uint8_t>& bytes)
{
    if (!value.isString())
        return fail(where, QStringLiteral("%1 must be a string of hexadecimal digits, not %2")
                               .arg(quoted(key), typeName(value)));
    const QString text = value.toString();
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

bool DeskParser::readModes(const QJsonValue& value, const QString& where, SimulatedDisplay& display)
{
    if (!value.isArray())
        return fail(
            where,
            QStringLiteral("\"modes\" must be an array of modes, not %1").arg(typeName(value)));
    const QJsonArray modes = value.toArray();
    static const QStringList keys = {QStringLiteral("width"), QStringLiteral("height"),
                                     QStringLiteral("bitsPerPixel"), QStringLiteral("frequency"),
                                     QStringLiteral("apply")};
    for (int i = 0; i < modes.size(); ++i) {
        const QString modeWhere = where + QStringLiteral(": modes[%1]").arg(i);
        if (!modes[i].isObject())
            return fail(modeWhere,
                        QStringLiteral("a mode must be an object, not %1").arg(typeName(modes[i])));
        const QJsonObject mode = modes[i].toObject();
        if (!checkKeys(mode, keys, modeWhere))
            return false;
        qint64 figures[4] = {};
        for (int k = 0; k < 4; ++k) {
            if (!mode.contains(keys[k]))
                return fail(modeWhere, QStringLiteral("missing %1").arg(quoted(keys[k])));
            if (!readInteger(mode.value(keys[k]), keys[k], 0, std::numeric_limits<uint32_t>::max(),
                             modeWhere, figures[k]))
                return false;
        }
        int32_t applyResult = DisplayBackend::ChangeSuccessful;
        if (mode.contains(QStringLiteral("apply"))) {
            const QString outcome = mode.value(QStringLiteral("apply")).toString();
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

bool DeskParser::readRegistryValues(const QJsonValue& value, const QString& where,
                                    SimulatedDisplay& display)
{
    if (!value.isArray())
        return fail(
            where,
            QStringLiteral("\"registryValues\" must be an array, not %1").arg(typeName(value)));
    const QJsonArray values = value.toArray();
    static const QStringList keys = {QStringLiteral("name"), QStringLiteral("data")};
    for (int i = 0; i < values.size(); ++i) {
        const QString valueWhere = where + QStringLiteral(": registryValues[%1]").arg(i);
        if (!values[i].isObject())
            return fail(valueWhere, QStringLiteral("a registry value must be an object, not %1")
                                        .arg(typeName(values[i])));
        const QJsonObject object = values[i].toObject();
        if (!checkKeys(object, keys, valueWhere))
            return false;
        std::optional<std::string> name;
        if (!readString(object, keys[0], valueWhere, name))
            return false;
        if (!name)
            return fail(valueWhere, QStringLiteral("missing \"name\""));
        std::vector<uint8_t> data;
        if (object.contains(keys[1]) && !readHex(object.value(keys[1]), keys[1], valueWhere, data))
            return false;
        display.registryValue(*name, std::move(data));
    }
    return true;
}

bool DeskParser::readDisplay(const QJsonObject& entry, int index, SimulatedDesk& desk)
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
    if (!readString(entry, QStringLiteral("output"), where, output))
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
        const QJsonValue firstValues[] = {first.position, first.modes, first.currentMode,
                                          first.adapterName, first.restoreFails};
        for (int k = 0; k < 5; ++k) {
            const QString key = QLatin1String(shared[k]);
            if (entry.contains(key) && entry.value(key) != firstValues[k])
                return fail(where, QStringLiteral("%1 differs from displays[%2], the first "
                                                  "display of this output; displays of one "
                                                  "output share its %1")
                                       .arg(quoted(key))
                                       .arg(first.entry));
        }
    } else {
        OutputSettings settings;
        settings.entry = index;
        settings.position = entry.value(QStringLiteral("position"));
        settings.modes = entry.value(QStringLiteral("modes"));
        settings.currentMode = entry.value(QStringLiteral("currentMode"));
        settings.adapterName = entry.value(QStringLiteral("adapterName"));
        settings.restoreFails = entry.value(QStringLiteral("restoreFails"));

        if (!entry.contains(QStringLiteral("position")))
            return fail(where, QStringLiteral("missing \"position\" ([left, top] of the monitor "
                                              "on the desktop)"));
        const QJsonValue position = settings.position;
        if (!position.isArray() || position.toArray().size() != 2)
            return fail(where, QStringLiteral("\"position\" must be an array of two integers "
                                              "[left, top], not %1")
                                   .arg(typeName(position)));
        qint64 left = 0;
        qint64 top = 0;
        if (!readInteger(position.toArray()[0], QStringLiteral("position[0]"),
                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                         where, left) ||
            !readInteger(position.toArray()[1], QStringLiteral("position[1]"),
                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                         where, top))
            return false;
        display.at(int32_t(left), int32_t(top));

        if (!entry.contains(QStringLiteral("modes")))
            return fail(where, QStringLiteral("missing \"modes\" (use [] for an output that "
                                              "lists no mode)"));
        if (!readModes(settings.modes, where, display))
            return false;
        if (entry.contains(QStringLiteral("currentMode"))) {
            qint64 current = 0;
            if (!readInteger(settings.currentMode, QStringLiteral("currentMode"), 0,
                             std::numeric_limits<int32_t>::max(), where, current))
                return false;
            if (size_t(current) >= display.modes.size())
                return fail(where, QStringLiteral("\"currentMode\" is %1, but \"modes\" has "
                                                  "%2 entries (indices from 0)")
                                       .arg(current)
                                       .arg(display.modes.size()));
            display.current(size_t(current));
        }
        if (!readString(entry, QStringLiteral("adapterName"), where, display.adapterName) ||
            !readBool(entry, QStringLiteral("restoreFails"), where, display.restoreFails))
            return false;
        m_outputs.emplace(*output, settings);
    }

    if (entry.contains(QStringLiteral("edid"))) {
        std::vector<uint8_t> edid;
        if (!readHex(entry.value(QStringLiteral("edid")), QStringLiteral("edid"), where, edid))
            return false;
        display.withEdid(std::move(edid));
    }
    if (entry.contains(QStringLiteral("comment")) &&
        !entry.value(QStringLiteral("comment")).isString())
        return fail(where, QStringLiteral("\"comment\" must be a string"));
    if (!readString(entry, QStringLiteral("driverVersion"), where, display.driverVersion) ||
        !readString(entry, QStringLiteral("model"), where, display.model) ||
        !readString(entry, QStringLiteral("deviceId"), where, display.deviceId) ||
        !readBool(entry, QStringLiteral("active"), where, display.active) ||
        !readBool(entry, QStringLiteral("mirroring"), where, display.mirroring) ||
        !readBool(entry, QStringLiteral("present"), where, display.present) ||
        !readBool(entry, QStringLiteral("keyOpens"), where, display.keyOpens))
        return false;
    if (entry.contains(QStringLiteral("registryValues")) &&
        !readRegistryValues(entry.value(QStringLiteral("registryValues")), where, display))
        return false;

    desk.display(display.output) = std::move(display);
    return true;
}

bool DeskParser::parse(const QByteArray& text, SimulatedDesk& desk)
{
    // Qt's parser sees only strict JSON without repeated keys: a repeated key
    // would be resolved silently, and some malformed texts make it keep memory.
    int offset = 0;
    QString syntaxError;
    if (!StrictJsonCheck::check(text, offset, syntaxError)) {
        m_error = m_source + QLatin1Char(':') + lineColumn(text, offset) +
                  QStringLiteral(": JSON syntax error: ") + syntaxError;
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        m_error = m_source + QLatin1Char(':') + lineColumn(text, parseError.offset) +
                  QStringLiteral(": JSON syntax error: ") + parseError.errorString();
        return false;
    }
    if (!document.isObject())
        return fail(QString(), QStringLiteral("the desk must be a JSON object with a "
                                              "\"displays\" array"));
    const QJsonObject root = document.object();
    static const QStringList keys = {QStringLiteral("displays"), QStringLiteral("failures"),
                                     QStringLiteral("description")};
    if (!checkKeys(root, keys, QString()))
        return false;
    if (root.contains(QStringLiteral("description")) &&
        !root.value(QStringLiteral("description")).isString())
        return fail(QString(), QStringLiteral("\"description\" must be a string"));
    if (!root.contains(QStringLiteral("displays")))
        return fail(QString(), QStringLiteral("missing \"displays\" (the array of displays)"));
    const QJsonValue displays = root.value(QStringLiteral("displays"));
    if (!displays.isArray())
        return fail(
            QString(),
            QStringLiteral("\"displays\" must be an array, not %1").arg(typeName(displays)));

    const QJsonArray entries = displays.toArray();
    for (int i = 0; i < entries.size(); ++i) {
        if (!entries[i].isObject())
            return fail(
                QStringLiteral("displays[%1]").arg(i),
                QStringLiteral("a display must be an object, not %1").arg(typeName(entries[i])));
        if (!readDisplay(entries[i].toObject(), i, desk))
            return false;
    }

    if (root.contains(QStringLiteral("failures"))) {
        const QJsonValue failures = root.value(QStringLiteral("failures"));
        if (!failures.isArray())
            return fail(
                QStringLiteral("failures"),
                QStringLiteral("must be an array of names, not %1").arg(typeName(failures)));
        const QJsonArray names = failures.toArray();
        for (int i = 0; i < names.size(); ++i) {
            const QString name = names[i].toString();
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
                                .arg(names[i].isString() ? quoted(name) : typeName(names[i])));
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
    if (!parser.parse(QByteArray::fromStdString(text), parsed)) {
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
