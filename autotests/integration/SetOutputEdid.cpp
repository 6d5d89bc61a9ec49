// set_output_edid OUTPUT SOURCE: puts the real EDID collected at SOURCE (a
// sample of EDID_SAMPLES) on an output of the X server named by DISPLAY, as
// the output property "EDID". For scripts that arrange a desk.
#include "EdidSampleFile.h"
#include "XServerSetup.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: set_output_edid OUTPUT SOURCE\n");
        return 2;
    }
    XServerSetup setup;
    if (!setup.isOpen()) {
        std::fprintf(stderr, "set_output_edid: cannot open the X display\n");
        return 1;
    }
    for (const EdidSampleFile::Sample& sample : EdidSampleFile::all()) {
        if (sample.source == argv[2])
            return setup.setProperty(argv[1], "EDID", sample.full) ? 0 : 1;
    }
    std::fprintf(stderr, "set_output_edid: no sample %s in EDID_SAMPLES\n", argv[2]);
    return 1;
}
