#include "EdidSampleFile.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>

const std::vector<EdidSampleFile::Sample>& EdidSampleFile::all()
{
    static const std::vector<Sample> samples = [] {
        std::vector<Sample> read;
        const char* path = std::getenv("EDID_SAMPLES");
        QFile file(QString::fromLocal8Bit(path ? path : ""));
        if (!file.open(QIODevice::ReadOnly))
            return read;
        while (!file.atEnd()) {
            const QJsonObject row = QJsonDocument::fromJson(file.readLine()).object();
            if (row.isEmpty())
                continue;
            Sample sample;
            sample.source = row.value("source").toString().toStdString();
            const QByteArray bytes =
                QByteArray::fromHex(row.value("full_hex").toString().toLatin1());
            sample.full.assign(bytes.begin(), bytes.end());
            const QJsonObject expected = row.value("expected").toObject();
            sample.modelCode = expected.value("model_code").toString().toStdString();
            const QJsonArray native =
                expected.value("decoders").toObject().value("nativeResolution").toArray();
            if (native.at(0).toInt() == 0)
                sample.nativeResolution = native.at(1).toString().toStdString();
            sample.mutated = !row.value("mutation").isNull();
            for (const QJsonValue pair : expected.value("properties").toArray())
                sample.properties.emplace_back(
                    pair.toArray().at(0).toString().toLatin1().toStdString(),
                    pair.toArray().at(1).toString().toLatin1().toStdString());
            sample.componentName =
                expected.value("component_name").toString().toLatin1().toStdString();
            read.push_back(std::move(sample));
        }
        return read;
    }();
    return samples;
}

const EdidSampleFile::Sample& EdidSampleFile::bySource(const std::string& source)
{
    static const Sample none;
    for (const Sample& sample : all())
        if (sample.source == source)
            return sample;
    ADD_FAILURE() << "no EDID sample " << source;
    return none;
}
