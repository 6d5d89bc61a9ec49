#pragma once

#include "display/platform/gnome/DisplayConfigLogicalMonitorAssignment.h"
#include "display/platform/gnome/DisplayConfigState.h"

#include <QList>

#include <optional>
#include <string>

// The configurations the GNOME backend applies, built from the service's
// states without any D-Bus. Each keeps the layout valid for the compositor,
// which refuses gaps and overlaps between regions.
class DisplayConfigAssignments
{
public:
    using List = QList<DisplayConfigLogicalMonitorAssignment>;

    // The layout of state as it is.
    static List current(const DisplayConfigState& state);

    // state with connector running its mode at modeIndex. The monitors
    // mirroring it take their mode of the same size (nearest rate); the
    // region keeps its scale when every new mode supports it, else takes
    // the nearest supported one; regions right of or below it move by the
    // change of its extent, as the desktop's own settings do. Empty with
    // *error set when the monitor is off or a mirror lacks the size.
    static std::optional<List> withMode(const DisplayConfigState& state, const QString& connector,
                                        int modeIndex, std::string* error);

    // The layout firstSeen, over the monitors now connected: those gone are
    // left out; those plugged in since keep their mode, scale and turn and
    // go right of the restored layout, so the compositor does not switch
    // them off.
    static List restored(const DisplayConfigState& firstSeen, const DisplayConfigState& now);

    static bool same(const List& a, const List& b);
};
