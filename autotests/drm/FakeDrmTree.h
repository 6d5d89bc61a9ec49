#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <vector>

// A /sys/class/drm made of files in a temporary folder, and an empty /dev/dri
// beside it, for the DRM backend to read.
class FakeDrmTree
{
public:
    FakeDrmTree();
    std::string sysfs() const;
    std::string dev() const;

    // A connector folder with its status, enabled, edid and modes files.
    void connector(const std::string& name, const std::string& status, bool enabled,
                   const std::vector<uint8_t>& edid, const std::string& modes);
    // Any other file, relative to the sysfs folder.
    void file(const std::string& relative, const std::string& text);

private:
    QTemporaryDir m_dir;
};
