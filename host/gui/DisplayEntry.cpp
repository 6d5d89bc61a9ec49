#include "host/gui/DisplayEntry.h"

#include "display/platform/EdidIdentity.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/KeyTranslator.h"

#include <QObject>

DisplayEntry DisplayEntry::fromDevice(const DeviceRecord& device, const KeyTranslator& translator)
{
    DisplayEntry entry;
    entry.id = QString::fromStdString(device.id);
    entry.name = translator.text(device.name);
    for (const Property& property : device.properties) {
        // The module's texts are byte strings; Latin-1 keeps every byte.
        if (property.key == "MODEL_NAME")
            entry.modelName = QString::fromLatin1(property.value.c_str()).trimmed();
        else if (property.key == "CURRENT_RESOLUTION")
            entry.resolution = QString::fromLatin1(property.value.c_str());
    }
    if (!device.platform)
        return entry;
    // The platform's view of the output this display came from.
    const OutputView& view = *device.platform;
    entry.connector = QString::fromLatin1(view.connector.c_str());
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
    const EdidIdentity identity(view.edid);
    if (identity.serialNumber())
        entry.serialNumber = QString::fromLatin1(identity.serialNumber()->c_str());
    if (identity.productCode())
        entry.productCode = QString::fromLatin1(identity.productCode()->c_str());
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

QString DisplayEntry::number() const
{
    return id.mid(3);
}

QString DisplayEntry::positionText() const
{
    return geometry.isNull() ? QString()
                             : QStringLiteral("%1, %2").arg(geometry.x()).arg(geometry.y());
}
