#include "display/platform/sysfs/SysfsReader.h"

#include "display/platform/EdidIdentity.h"
#include "display/platform/MonitorIdentity.h"

#ifdef DISPLAY_PLATFORM_HAS_DRM
#include <xf86drm.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {
std::string readText(const std::string& path)
{
    std::ifstream file(path);
    std::string text;
    std::getline(file, text);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Orders names so that embedded numbers compare by value.
bool naturalLess(const std::string& a, const std::string& b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ei = i;
            size_t ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei])))
                ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej])))
                ++ej;
            std::string na = a.substr(i, ei - i);
            std::string nb = b.substr(j, ej - j);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

bool SysfsReader::isConnectorName(const std::string& name)
{
    if (name.compare(0, 4, "card") != 0)
        return false;
    size_t i = 4;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])))
        ++i;
    return i > 4 && i + 1 < name.size() && name[i] == '-';
}

std::vector<SysfsReader::Connector> SysfsReader::connectors(const std::string& root)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(root.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (isConnectorName(name))
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end(), naturalLess);

    std::vector<Connector> found;
    for (const std::string& name : names) {
        const std::string path = root + "/" + name;
        Connector connector;
        connector.name = name;
        connector.card = name.substr(0, name.find('-'));
        connector.status = readText(path + "/status");
        connector.enabled = readText(path + "/enabled") == "enabled";
        connector.edid = readBytes(path + "/edid");
        std::ifstream modes(path + "/modes");
        for (std::string line; std::getline(modes, line);)
            if (!line.empty())
                connector.modes.push_back(line);
        found.push_back(std::move(connector));
    }
    return found;
}

std::optional<SysfsReader::Connector> SysfsReader::connectorNamed(const std::string& root,
                                                                  const std::string& connector)
{
    for (Connector& found : connectors(root))
        if (found.name.substr(found.card.size() + 1) == connector)
            return std::move(found);
    return std::nullopt;
}

std::optional<SysfsReader::Connector> SysfsReader::connectorShowing(const std::string& root,
                                                                    const std::string& connector,
                                                                    const std::string& maker,
                                                                    const std::string& serial)
{
    std::vector<Connector> named;
    for (Connector& found : connectors(root))
        if (found.name.substr(found.card.size() + 1) == connector)
            named.push_back(std::move(found));
    if (named.size() <= 1)
        return named.empty() ? std::nullopt : std::optional<Connector>(std::move(named.front()));
    const auto shows = [&](const Connector& candidate) {
        if (candidate.edid.size() < 128)
            return false;
        const std::string model = MonitorIdentity::modelCode(candidate.edid);
        if (!maker.empty() && model.compare(0, 3, maker) != 0)
            return false;
        if (serial.empty())
            return true;
        const EdidIdentity identity(candidate.edid);
        const uint32_t number = uint32_t(candidate.edid[12]) | uint32_t(candidate.edid[13]) << 8 |
                                uint32_t(candidate.edid[14]) << 16 |
                                uint32_t(candidate.edid[15]) << 24;
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08x", number);
        return identity.serialNumber() == serial || std::to_string(number) == serial ||
               serial == hex;
    };
    for (Connector& candidate : named)
        if (shows(candidate))
            return std::move(candidate);
    const auto connected = [](const Connector& c) { return c.status == "connected"; };
    if (std::count_if(named.begin(), named.end(), connected) == 1)
        return std::move(*std::find_if(named.begin(), named.end(), connected));
    return std::move(named.front());
}

std::optional<std::string> SysfsReader::driverVersion(const std::string& root,
                                                      const std::string& deviceRoot,
                                                      const std::string& card)
{
#ifdef DISPLAY_PLATFORM_HAS_DRM
    const std::string node = deviceRoot + "/" + card;
    const int fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        std::optional<std::string> text;
        if (drmVersionPtr version = drmGetVersion(fd)) {
            std::ostringstream out;
            out << std::string(version->name ? version->name : "", size_t(version->name_len)) << ' '
                << version->version_major << '.' << version->version_minor << '.'
                << version->version_patchlevel;
            text = out.str();
            drmFreeVersion(version);
        }
        ::close(fd);
        if (text)
            return text;
    }
#else
    (void)deviceRoot;
#endif
    // Without the node: the module of the device's driver may carry a version.
    char target[4096];
    const std::string driverLink = root + "/" + card + "/device/driver";
    const ssize_t length = ::readlink(driverLink.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return std::nullopt;
    const std::string driver = baseName(std::string(target, size_t(length)));
    const std::string version = readText(driverLink + "/module/version");
    if (driver.empty() || version.empty())
        return std::nullopt;
    return driver + " " + version;
}

bool SysfsReader::parseModeName(const std::string& name, uint32_t& width, uint32_t& height)
{
    unsigned w = 0;
    unsigned h = 0;
    int consumed = 0;
    if (std::sscanf(name.c_str(), "%ux%u%n", &w, &h, &consumed) != 2 || w == 0 || h == 0)
        return false;
    width = w;
    height = h;
    return true;
}
