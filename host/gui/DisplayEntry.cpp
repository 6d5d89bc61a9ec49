#include "host/gui/DisplayEntry.h"

#include "host/runtime/DeviceRecord.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/PlatformSummary.h"

#include <QObject>

DisplayEntry DisplayEntry::fromDevice(const DeviceRecord& device, const KeyTranslator& translator)
{
    // The module's texts are byte strings; Latin-1 keeps every byte.
    const auto text = [](const std::optional<std::string>& value) {
        return value ? QString::fromLatin1(value->c_str()) : QString();
    };
    DisplayEntry entry;
    entry.id = QString::fromStdString(device.id);
    entry.name = translator.text(device.name);
    for (const Property& property : device.properties) {
        const QString value = QString::fromLatin1(property.value.c_str());
        if (property.key == "CURRENT_RESOLUTION")
            entry.resolution = value;
        else if (property.key == "MANUFACTURER_ID")
            entry.manufacturer = value;
        else if (property.key == "NATIVE_RESOLUTION")
            entry.nativeResolution = value;
        else if (property.key == "INPUT_TYPE")
            entry.inputType = value;
    }
    // The same identity the command line gives: the output's own EDID first,
    // so alike monitors keep their own names and serial numbers.
    const PlatformSummary summary(device);
    entry.modelName = text(summary.modelName()).trimmed();
    entry.connector = text(summary.connector());
    entry.serialNumber = text(summary.serialNumber());
    if (!summary.view())
        return entry;
    const OutputView& view = *summary.view();
    if (view.width > 0 && view.height > 0)
        entry.geometry =
            QRect(view.x, view.y, static_cast<int>(view.width), static_cast<int>(view.height));
    entry.primary = view.primary;
    entry.refreshHz = view.refreshHz.value_or(0);
    for (const OutputMode& mode : view.modes)
        entry.modes.push_back({static_cast<int>(mode.width), static_cast<int>(mode.height),
                               mode.refreshHz.value_or(0), mode.current,
                               mode.preferred.value_or(false)});
    entry.edid = QByteArray(reinterpret_cast<const char*>(view.edid.data()),
                            static_cast<int>(view.edid.size()));
    const EdidIdentity& identity = summary.identity();
    entry.productCode = text(PlatformSummary::productCodeText(identity));
    if (identity.modelYear())
        entry.manufactured = QObject::tr("model year %1").arg(*identity.modelYear());
    else if (identity.manufactureYear() && identity.manufactureWeek())
        entry.manufactured = QObject::tr("week %1 of %2")
                                 .arg(*identity.manufactureWeek())
                                 .arg(*identity.manufactureYear());
    else if (identity.manufactureYear())
        entry.manufactured = QString::number(*identity.manufactureYear());
    return entry;
}

QString DisplayEntry::label() const
{
    QStringList parts{id};
    parts << (modelName.isEmpty() ? name : modelName);
    if (!connector.isEmpty())
        parts << connector;
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" \u00b7 "));
}

QString DisplayEntry::identityKey() const
{
    if (connector.isEmpty() && serialNumber.isEmpty())
        return id;
    return QStringList{connector, modelName, serialNumber}.join(QLatin1Char('|'));
}

QString DisplayEntry::edidHex() const
{
    const QByteArray hex = edid.toHex();
    QStringList lines;
    for (int i = 0; i < hex.size(); i += 32)
        lines << QString::fromLatin1(hex.mid(i, 32));
    return lines.join('\n');
}

QString DisplayEntry::number() const
{
    return id.mid(3);
}

QString DisplayEntry::positionText() const
{
    return geometry.isNull() ? QString()
                             : QStringLiteral("%1, %2").arg(geometry.x()).arg(geometry.y());
}
