#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QVector>

class KeyTranslator;
struct DeviceRecord;

// One display as the front end shows it: the module's view (identifier,
// name, resolution) beside the platform's view of the output it came
// from (connector, rectangle, refresh, identity, modes, EDID), each field
// empty where it is not known.
struct DisplayEntry
{
    struct Mode
    {
        int width = 0;
        int height = 0;
        double refreshHz = 0; // 0: not known
        bool current = false;
        bool preferred = false;
    };

    QString id;        // dpy1, dpy2, ...
    QString name;      // the module's name, translated
    QString modelName; // the EDID's product name, else the module's MODEL_NAME
    QString resolution;
    QString manufacturer;     // the module's manufacturer code
    QString nativeResolution; // the module's, from the EDID
    QString inputType;        // the module's: "ANALOG" or "DIGITAL"
    QString connector;
    QRect geometry; // on the desktop; null when not known
    bool primary = false;
    double refreshHz = 0;
    QString serialNumber;
    QString productCode;  // "A101 (model 41217)": hex as in the EDID, decimal as decoders show it
    QString manufactured; // "week 13 of 2019", "2019" or "model year 2013"
    QVector<Mode> modes;
    QByteArray edid;

    // The module's view of a listed display.
    static DisplayEntry fromDevice(const DeviceRecord& device, const KeyTranslator& translator);

    // "dpy2 · E19-7 · VGA-1", leaving out what is not known.
    QString label() const;
    // Stays the same across refreshes while the same monitor hangs on the
    // same connector (identifiers may be handed out anew).
    QString identityKey() const;
    // The EDID as hex, sixteen bytes a line.
    QString edidHex() const;
    // "2" for dpy2: what the desk picture and Identify show large.
    QString number() const;
    QString positionText() const;
};
