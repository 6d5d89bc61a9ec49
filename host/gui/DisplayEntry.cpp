#include "host/gui/DisplayEntry.h"

#include "host/runtime/DeviceRecord.h"
#include "host/runtime/KeyTranslator.h"

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
