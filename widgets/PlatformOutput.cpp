#include "widgets/PlatformOutput.h"

#include "display/platform/DisplayPlatform.h"

PlatformOutput PlatformOutput::at(const QRect& rect)
{
    PlatformOutput output;
    for (const HandedOutDisplay& display : DisplayPlatform::handedOut()) {
        MonitorInfo info;
        if (!DisplayPlatform::backend().getMonitorInfo(display.monitor, info))
            continue;
        // The tests give the monitor's corner with the current mode's size,
        // in device pixels where the monitor's rectangle is scaled.
        if (QPoint(info.rcMonitor.left, info.rcMonitor.top) != rect.topLeft())
            continue;
        OutputView view;
        if (!DisplayPlatform::describe(display.id, view))
            continue;
        output.m_found = true;
        output.m_connector = QString::fromStdString(view.connector);
        output.m_scale = view.scale > 0 ? view.scale : 1;
        output.m_deviceSize = QSize(int(view.width), int(view.height));
        break;
    }
    return output;
}
