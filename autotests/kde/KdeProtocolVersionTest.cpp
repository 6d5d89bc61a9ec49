#include <gtest/gtest.h>

#include "display/platform/DisplayPlatform.h"

#include "kde-output-device-v2-server-protocol.h"
#include "kde-output-management-v2-server-protocol.h"

#include <QTemporaryDir>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <wayland-server-core.h>

namespace {
// The least of a KWin-like compositor: one output device global of the
// version given, which sends its state and "done" when bound (its name
// from version 2 on), and, when asked, the output management global.
// Serves on its own thread until destroyed.
class OutputDeviceServer
{
public:
    OutputDeviceServer(const std::string& socket, uint32_t deviceVersion, bool management)
        : m_display(wl_display_create())
    {
        wl_display_add_socket(m_display, socket.c_str());
        wl_global_create(m_display, &kde_output_device_v2_interface, int(deviceVersion), nullptr,
                         &OutputDeviceServer::bindDevice);
        if (management)
            wl_global_create(m_display, &kde_output_management_v2_interface, 1, nullptr,
                             &OutputDeviceServer::bindManagement);
        m_thread = std::thread([this] {
            wl_event_loop* loop = wl_display_get_event_loop(m_display);
            while (!m_stop) {
                wl_event_loop_dispatch(loop, 20);
                wl_display_flush_clients(m_display);
            }
        });
    }
    ~OutputDeviceServer()
    {
        m_stop = true;
        m_thread.join();
        wl_display_destroy_clients(m_display);
        wl_display_destroy(m_display);
    }

private:
    static void bindDevice(wl_client* client, void*, uint32_t version, uint32_t id)
    {
        wl_resource* device =
            wl_resource_create(client, &kde_output_device_v2_interface, int(version), id);
        kde_output_device_v2_send_geometry(device, 0, 0, 600, 340, 0, "Maker", "Model", 0);
        kde_output_device_v2_send_enabled(device, 1);
        if (version >= KDE_OUTPUT_DEVICE_V2_NAME_SINCE_VERSION)
            kde_output_device_v2_send_name(device, "Virtual-0");
        kde_output_device_v2_send_done(device);
    }
    static void bindManagement(wl_client* client, void*, uint32_t version, uint32_t id)
    {
        wl_resource_create(client, &kde_output_management_v2_interface, int(version), id);
    }

    wl_display* m_display;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
} // namespace

// A compositor whose output devices do not name their connectors, or that
// cannot change outputs, is no KDE desk for this program: the choice goes on
// to the next backend and says why, instead of listing nothing.
TEST(KdeProtocolVersions, WhatCannotServeFallsThroughToTheNextBackend)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    // Nothing else in this program reads the environment: no need to restore it.
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    unsetenv("XDG_SESSION_TYPE");

    // Device version, management offered, what the reason says.
    const std::tuple<uint32_t, bool, const char*> rows[] = {
        {1, true, "offers kde_output_device_v2 version 1, which does not name the connectors"},
        {2, false, "announces no kde_output_management_v2"},
    };
    int socket = 0;
    for (const auto& [version, management, because] : rows) {
        SCOPED_TRACE(because);
        const std::string name = "kde-test-" + std::to_string(socket++);
        OutputDeviceServer server(name, version, management);
        setenv("WAYLAND_DISPLAY", name.c_str(), 1);
        std::string reason;
        std::string error;
        const auto backend = DisplayPlatform::createDefault(&reason, &error);
        ASSERT_TRUE(backend) << error;
        EXPECT_NE(backend->name(), "kde");
        EXPECT_NE(reason.find(because), std::string::npos) << reason;
    }
}
