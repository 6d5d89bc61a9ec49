#include "host/runtime/DisplayLabel.h"

std::string DisplayLabel::of(const std::string& id, const std::optional<std::string>& modelName,
                             const std::optional<std::string>& connector)
{
    std::string label = id;
    for (const std::optional<std::string>& part : {modelName, connector}) {
        if (part && !part->empty() && *part != id)
            label += (label.empty() ? "" : " \u00b7 ") + *part;
    }
    return label;
}
