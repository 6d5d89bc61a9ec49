#include "XorgDesk.h"

#include "EdidSampleFile.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/x11/XRandrBackend.h"

#include <QProcess>
#include <QRegularExpression>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

void XorgDesk::SetUp()
{
    if (!(m_display = XOpenDisplay(nullptr)))
        GTEST_SKIP() << "no X server (run through scripts/integration.sh)";
    // An X error (say, an output that is not there) fails the checks that
    // follow, not the whole program.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    reset();
    setProperty("DUMMY0", "EDID", EdidSampleFile::bySource(Eizo).full);
    setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(BenQ).full);
    std::string error;
    auto backend = XRandrBackend::open(nullptr, &error);
    ASSERT_TRUE(backend) << error;
    DisplayPlatform::install(std::move(backend));
    manager = std::make_unique<DisplayInterfaceComponentManagerWindows>(ItemId(9, 0, 0));
    manager->refresh();
}

void XorgDesk::TearDown()
{
    manager.reset();
    DisplayPlatform::reset();
    if (m_display) {
        reset();
        XCloseDisplay(m_display);
    }
}

void XorgDesk::reset()
{
    // The dummy driver's outputs beyond DUMMY0 connect once a mode is added
    // and set, and show as connected only after the next probe.
    run("xrandr --addmode DUMMY1 1280x1024; xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0"
        " --primary --output DUMMY1 --mode 1280x1024 --pos 1920x0 --fb 3200x1080"
        " $(for i in $(seq 2 15); do echo --output DUMMY$i --off; done)");
    run("for m in md-gone md-wide md-1440; do xrandr --delmode DUMMY1 $m; xrandr --rmmode $m;"
        " done; xrandr -q");
    for (const char* output : {"DUMMY0", "DUMMY1", "DUMMY2"})
        for (const char* property : {"EDID", "EDID_DATA"})
            setProperty(output, property, {});
}

int XorgDesk::run(const std::string& command, std::string* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("sh", {"-c", QString::fromStdString(command)});
    process.waitForFinished(60000);
    if (output)
        *output = process.readAll().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

unsigned long XorgDesk::outputId(const std::string& name)
{
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(m_display, DefaultRootWindow(m_display));
    unsigned long found = 0;
    for (int i = 0; i < resources->noutput && !found; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(m_display, resources, resources->outputs[i]);
        found = name == info->name ? resources->outputs[i] : 0;
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(resources);
    return found;
}

void XorgDesk::setProperty(const std::string& output, const std::string& property,
                           const std::vector<uint8_t>& bytes, int format, bool integer)
{
    std::vector<long> wide(bytes.begin(), bytes.end()); // format 32 takes longs
    const unsigned char* data =
        format == 32 ? reinterpret_cast<const unsigned char*>(wide.data()) : bytes.data();
    const Atom atom = XInternAtom(m_display, property.c_str(), False);
    if (bytes.empty())
        XRRDeleteOutputProperty(m_display, outputId(output), atom);
    else
        XRRChangeOutputProperty(m_display, outputId(output), atom,
                                integer ? XA_INTEGER : XA_CARDINAL, format, PropModeReplace, data,
                                int(bytes.size()));
    XSync(m_display, False);
}

std::string XorgDesk::layout()
{
    std::string text;
    run("xrandr -q", &text);
    static const QRegularExpression item(
        R"(current (\d+) x (\d+)|\n(\S+) (?:dis)?connected (?:primary )?(\d+x\d+\+\d+\+\d+))");
    QString layout;
    for (auto it = item.globalMatch(QString::fromStdString(text)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        layout += match.capturedLength(1) ? match.captured(1) + "x" + match.captured(2)
                                          : " " + match.captured(3) + " " + match.captured(4);
    }
    return layout.toStdString();
}
