// The platform view in the command-line host: the lines and "platform"
// objects of --list, --edid and the runs' display identity, on the example
// desks and desks with broken EDIDs. The tests run in the source folder.
#include <QtTest>

namespace {
struct Cli
{
    int status = -1;
    QByteArray out, err;
};

Cli runCli(QStringList arguments, const QByteArray& desk = {})
{
    QTemporaryDir dir;
    if (!desk.isEmpty()) {
        QFile file(dir.filePath("desk.json"));
        if (file.open(QIODevice::WriteOnly))
            file.write(desk);
        arguments << "--platform=sim:" + file.fileName();
    }
    QProcess process;
    process.start(qEnvironmentVariable("HOST_CLI"), arguments);
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QJsonArray devicesOf(const Cli& cli)
{
    return QJsonDocument::fromJson(cli.out).object()["devices"].toArray();
}

const QString Office = "--platform=sim:examples/desks/office.json";
} // namespace

class PlatformViewCliTest : public QObject
{
    Q_OBJECT

private slots:
    void listing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("expected"); // stdout, or stderr when failing
        QTest::newRow("lines after the properties")
            << QStringList{"--list", Office} << 0
            << QByteArray("    Input type: Analog\n    Connector: VGA-1\n    Position: 1920,0\n"
                          "    Size: 1280x1024\n    Refresh rate: 60.00 Hz\n"
                          "    Serial number: YE5T102481\n    Product code: 0757 (model 1879)\n"
                          "    Manufactured: week 48 of 2007\n    Modes: 6\n");
        QTest::newRow("primary") << QStringList{"--list", Office} << 0
                                 << QByteArray("    Size: 1920x1080\n    Primary: yes\n");
        QTest::newRow("modes") << QStringList{"--list", "--modes", Office} << 0
                               << QByteArray("    Modes: 6\n      1280x1024 75.00 Hz\n"
                                             "      1280x1024 60.00 Hz (current)\n");
        QTest::newRow("no EDID")
            << QStringList{"--edid", "dpy2", "--platform=sim:examples/desks/projector-no-edid.json"}
            << 2 << QByteArray("dpy2 has no EDID to write");
        QTest::newRow("unknown display")
            << QStringList{"--edid=dpy9", Office} << 2 << QByteArray("Unknown device \"dpy9\"");
        QTest::newRow("with --list") << QStringList{"--edid=dpy1", "--list", Office} << 2
                                     << QByteArray("--edid and --list exclude each other");
        QTest::newRow("with --json") << QStringList{"--edid=dpy1", "--json", Office} << 2
                                     << QByteArray("cannot be combined with --json");
        QTest::newRow("--modes alone") << QStringList{"-Mdisplay", "-Qf", "--modes", Office} << 2
                                       << QByteArray("--modes only goes with --list");
    }

    void listing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, expected);
        const Cli cli = runCli(arguments);
        QVERIFY2(cli.status == status && (status ? cli.err : cli.out).contains(expected),
                 (cli.out + cli.err).constData());
    }

    // Sixteen alike screens (one model, one serial) each keep their own
    // connector and place, though the module names them all alike; the
    // platform's EDID is the one --edid writes, byte for byte.
    void twinsKeepTheirOwnOutputs()
    {
        const Cli list = runCli({"--list", "--json", "--platform=sim:examples/desks/wall-16.json"});
        const QJsonArray devices = devicesOf(list);
        QCOMPARE(devices.size(), 16);
        QSet<QString> connectors, positions;
        for (const QJsonValue device : devices) {
            const QJsonObject platform = device["platform"].toObject();
            connectors << platform["connector"].toString();
            positions << QString::number(platform["position"][0].toInt()) + "," +
                             QString::number(platform["position"][1].toInt());
            int current = 0;
            for (const QJsonValue mode : platform["modes"].toArray())
                current += mode["current"].toBool() && !mode.toObject().contains("preferred");
            QCOMPARE(current, 1);
        }
        QCOMPARE(connectors.size(), 16);
        QCOMPARE(positions.size(), 16);

        const Cli clone = runCli({"--list", "--json", "--platform=sim:examples/desks/clone.json"});
        const QJsonArray cloned = devicesOf(clone);
        QCOMPARE(cloned.size(), 3);
        QCOMPARE(cloned[1]["platform"]["connector"], cloned[2]["platform"]["connector"]);
        QVERIFY(cloned[1]["platform"]["edid"] != cloned[2]["platform"]["edid"]);

        for (int i = 0; i < 3; ++i) {
            const Cli edid = runCli(
                {"--edid", cloned[i]["id"].toString(), "--platform=sim:examples/desks/clone.json"});
            QCOMPARE(edid.status, 0);
            QCOMPARE(edid.out.toHex(), cloned[i]["platform"]["edid"].toString().toLatin1());
        }
    }

    // Short, corrupt and extension-laden EDIDs: the output's place and modes
    // still show, no identity is read from a block that does not hold, and
    // a desk with no displays answers --edid with status 4.
    void brokenEdidsNeverBreakTheListing()
    {
        const QJsonArray office = devicesOf(runCli({"--list", "--json", Office}));
        const QByteArray good =
            office[0].toObject()["platform"].toObject()["edid"].toString().toLatin1();
        QVERIFY(good.size() >= 256);
        QByteArray corrupt = good;
        corrupt[40] = corrupt[40] == '0' ? '1' : '0';
        const QByteArray desk =
            "{\"displays\": [{\"output\": \"A\", \"position\": [0, 0], \"edid\": \"00ffff\", "
            "\"modes\": [{\"width\": 640, \"height\": 480, \"bitsPerPixel\": 32, \"frequency\": "
            "60}], \"currentMode\": 0}, {\"output\": \"B\", \"position\": [640, 0], \"edid\": \"" +
            corrupt +
            "\", \"modes\": []}, {\"output\": \"C\", \"position\": [0, 480], \"edid\": \"" + good +
            good.mid(256) + "\", \"modes\": []}]}";
        const Cli list = runCli({"--list", "--json"}, desk);
        QCOMPARE(list.status, 0);
        const QJsonArray devices = devicesOf(list);
        QCOMPARE(devices.size(), 3);
        const QJsonObject shortEdid = devices[0]["platform"].toObject();
        QCOMPARE(shortEdid["edid"].toString(), QString("00ffff"));
        QCOMPARE(shortEdid["refreshHz"].toDouble(), 60.0);
        QVERIFY(!shortEdid.contains("serialNumber") && !shortEdid.contains("productCode"));
        QVERIFY(!devices[1]["platform"].toObject().contains("productCode"));
        QVERIFY(!devices[1]["platform"].toObject().contains("modes"));
        QCOMPARE(devices[2]["platform"]["serialNumber"].toString(), QString("F5V7893S1JKU"));
        const Cli text = runCli({"--list"}, desk);
        QVERIFY(text.status == 0 && text.out.contains("    Connector: B\n    Position: 640,0\n"));

        QCOMPARE(runCli({"--edid=dpy1"}, "{\"displays\": []}").status, 4);
    }
};

QTEST_MAIN(PlatformViewCliTest)
#include "PlatformViewCliTest.moc"
