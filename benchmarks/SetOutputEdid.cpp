// set_output_edid OUTPUT SOURCE: puts the real EDID collected at SOURCE (a
// sample of EDID_SAMPLES) on an output of the X server named by DISPLAY, as
// the output property "EDID". For scripts that arrange a desk.
#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

// After Qt: Xlib's macros collide with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int failed = 0;
int recordError(Display*, XErrorEvent*)
{
    failed = 1;
    return 0;
}

QByteArray sampleEdid(const char* source)
{
    QFile file(QString::fromLocal8Bit(std::getenv("EDID_SAMPLES")));
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const QJsonObject row = QJsonDocument::fromJson(file.readLine()).object();
            if (row.value("source").toString() == QLatin1String(source))
                return QByteArray::fromHex(row.value("full_hex").toString().toLatin1());
        }
    }
    return {};
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: set_output_edid OUTPUT SOURCE\n");
        return 2;
    }
    const QByteArray edid = sampleEdid(argv[2]);
    if (edid.isEmpty()) {
        std::fprintf(stderr, "set_output_edid: no sample %s in EDID_SAMPLES\n", argv[2]);
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "set_output_edid: cannot open the X display\n");
        return 1;
    }
    XSetErrorHandler(&recordError);
    RROutput output = 0;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    for (int i = 0; resources && i < resources->noutput && !output; ++i) {
        if (XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
            if (std::strcmp(info->name, argv[1]) == 0)
                output = resources->outputs[i];
            XRRFreeOutputInfo(info);
        }
    }
    if (resources)
        XRRFreeScreenResources(resources);
    if (output) {
        XRRChangeOutputProperty(
            display, output, XInternAtom(display, "EDID", False), XA_INTEGER, 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(edid.constData()), edid.size());
        XSync(display, False);
    } else {
        std::fprintf(stderr, "set_output_edid: no output %s\n", argv[1]);
    }
    XCloseDisplay(display);
    return output && !failed ? 0 : 1;
}
