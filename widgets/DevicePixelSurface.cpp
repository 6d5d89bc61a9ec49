#include "widgets/DevicePixelSurface.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef MODULE_DISPLAY_HAS_WAYLAND
#include <qpa/qplatformnativeinterface.h>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#endif

#ifdef MODULE_DISPLAY_HAS_WAYLAND
struct DevicePixelSurface::Connection
{
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr; // the display's proxy, on our queue
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    uint32_t compositorVersion = 0;
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScaleManager = nullptr;

    wl_surface* surface = nullptr;
    wl_subsurface* subsurface = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractionalScale = nullptr;
    uint32_t preferredScale120 = 0; // in 1/120, as the protocol sends it
    int scaleEvents = 0;
    int scaleEventsAtAttach = 0;

    ~Connection()
    {
        if (fractionalScale)
            wp_fractional_scale_v1_destroy(fractionalScale);
        if (viewport)
            wp_viewport_destroy(viewport);
        if (subsurface)
            wl_subsurface_destroy(subsurface);
        if (surface)
            wl_surface_destroy(surface);
        if (fractionalScaleManager)
            wp_fractional_scale_manager_v1_destroy(fractionalScaleManager);
        if (viewporter)
            wp_viewporter_destroy(viewporter);
        if (shm)
            wl_shm_destroy(shm);
        if (subcompositor)
            wl_subcompositor_destroy(subcompositor);
        if (compositor)
            wl_compositor_destroy(compositor);
        if (registry)
            wl_registry_destroy(registry);
        if (wrapper)
            wl_proxy_wrapper_destroy(wrapper);
        if (display)
            wl_display_flush(display);
        if (queue)
            wl_event_queue_destroy(queue);
    }

    void dispatchPending() { wl_display_dispatch_queue_pending(display, queue); }
};

struct DevicePixelSurface::Buffer
{
    wl_buffer* buffer = nullptr;
    void* data = MAP_FAILED;
    size_t bytes = 0;
    QImage image;
    bool busy = false; // the compositor still reads it

    ~Buffer()
    {
        image = QImage();
        if (buffer)
            wl_buffer_destroy(buffer);
        if (data != MAP_FAILED)
            munmap(data, bytes);
    }
};

namespace {
const wl_registry_listener RegistryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        auto* c = static_cast<DevicePixelSurface::Connection*>(data);
        auto bind = [&](const wl_interface* wanted, uint32_t most) {
            return wl_registry_bind(registry, name, wanted, std::min(version, most));
        };
        if (!strcmp(interface, wl_compositor_interface.name) && !c->compositor) {
            c->compositorVersion = std::min(version, 4u);
            c->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
        } else if (!strcmp(interface, wl_subcompositor_interface.name) && !c->subcompositor) {
            c->subcompositor = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
        } else if (!strcmp(interface, wl_shm_interface.name) && !c->shm) {
            c->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
        } else if (!strcmp(interface, wp_viewporter_interface.name) && !c->viewporter) {
            c->viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
        } else if (!strcmp(interface, wp_fractional_scale_manager_v1_interface.name) &&
                   !c->fractionalScaleManager) {
            c->fractionalScaleManager = static_cast<wp_fractional_scale_manager_v1*>(
                bind(&wp_fractional_scale_manager_v1_interface, 1));
        }
    },
    [](void*, wl_registry*, uint32_t) {}, // global_remove: ours outlive the window
};

const wp_fractional_scale_v1_listener FractionalScaleListener = {
    [](void* data, wp_fractional_scale_v1*, uint32_t scale) {
        auto* c = static_cast<DevicePixelSurface::Connection*>(data);
        c->preferredScale120 = scale;
        ++c->scaleEvents;
    },
};

const wl_buffer_listener BufferListener = {
    [](void* data, wl_buffer*) { static_cast<DevicePixelSurface::Buffer*>(data)->busy = false; },
};

void say(QString* missing, const char* what)
{
    if (missing)
        *missing = QString::fromLatin1(what);
}
} // namespace

std::unique_ptr<DevicePixelSurface> DevicePixelSurface::attach(QWindow* window, QString* missing)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        say(missing, "Qt does not show its windows through Wayland");
        return nullptr;
    }
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display =
        native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
               : nullptr;
    auto* parent =
        native && window
            ? static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window))
            : nullptr;
    if (!display || !parent) {
        say(missing, "Qt hands out no Wayland surface for the window");
        return nullptr;
    }

    std::unique_ptr<DevicePixelSurface> self(new DevicePixelSurface);
    self->m_connection = std::make_unique<Connection>();
    Connection& c = *self->m_connection;
    c.display = display;
    c.queue = wl_display_create_queue(display);
    c.wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (!c.queue || !c.wrapper) {
        say(missing, "no Wayland event queue");
        return nullptr;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(c.wrapper), c.queue);
    c.registry = wl_display_get_registry(c.wrapper);
    wl_registry_add_listener(c.registry, &RegistryListener, &c);
    if (wl_display_roundtrip_queue(display, c.queue) < 0) {
        say(missing, "the Wayland connection failed");
        return nullptr;
    }
    if (!c.compositor || !c.subcompositor || !c.shm) {
        say(missing, "the compositor offers no subsurfaces or shared memory");
        return nullptr;
    }
    if (!c.viewporter) {
        say(missing, "the compositor offers no wp_viewporter");
        return nullptr;
    }

    c.surface = wl_compositor_create_surface(c.compositor);
    // Keys and clicks go to the Qt window below.
    wl_region* empty = wl_compositor_create_region(c.compositor);
    wl_surface_set_input_region(c.surface, empty);
    wl_region_destroy(empty);
    c.subsurface = wl_subcompositor_get_subsurface(c.subcompositor, c.surface, parent);
    wl_subsurface_set_position(c.subsurface, 0, 0);
    // Frames show when committed, not with Qt's next commit of the window.
    wl_subsurface_set_desync(c.subsurface);
    c.viewport = wp_viewporter_get_viewport(c.viewporter, c.surface);
    if (c.fractionalScaleManager) {
        // Asked for the window's own surface: the compositor knows its output.
        c.fractionalScale =
            wp_fractional_scale_manager_v1_get_fractional_scale(c.fractionalScaleManager, parent);
        wp_fractional_scale_v1_add_listener(c.fractionalScale, &FractionalScaleListener, &c);
    }
    wl_surface_commit(c.surface);
    if (wl_display_roundtrip_queue(display, c.queue) < 0) {
        say(missing, "the Wayland connection failed");
        return nullptr;
    }
    c.scaleEventsAtAttach = c.scaleEvents;
    return self;
}

DevicePixelSurface::~DevicePixelSurface()
{
    m_frame = nullptr;
    m_buffers.clear();
}

double DevicePixelSurface::preferredScale()
{
    m_connection->dispatchPending();
    return m_connection->preferredScale120 / 120.0;
}

bool DevicePixelSurface::preferredScaleChanged()
{
    m_connection->dispatchPending();
    return m_connection->scaleEvents > m_connection->scaleEventsAtAttach;
}

QImage& DevicePixelSurface::beginFrame(const QSize& deviceSize)
{
    Connection& c = *m_connection;
    c.dispatchPending();
    m_frame = nullptr;
    if (deviceSize.isEmpty())
        return m_none;
    // Buffers of another size are dropped once the compositor let go of them.
    m_buffers.erase(std::remove_if(m_buffers.begin(), m_buffers.end(),
                                   [&](const std::unique_ptr<Buffer>& b) {
                                       return !b->busy && b->image.size() != deviceSize;
                                   }),
                    m_buffers.end());
    for (const std::unique_ptr<Buffer>& b : m_buffers)
        if (!b->busy) {
            m_frame = b.get();
            return m_frame->image;
        }

    const qint64 stride = qint64(deviceSize.width()) * 4;
    const qint64 bytes = stride * deviceSize.height();
    if (stride > INT32_MAX || bytes > INT32_MAX)
        return m_none;
    const int fd = memfd_create("device-pixels", MFD_CLOEXEC);
    if (fd < 0)
        return m_none;
    auto b = std::make_unique<Buffer>();
    if (ftruncate(fd, bytes) == 0)
        b->data = mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (b->data == MAP_FAILED) {
        close(fd);
        return m_none;
    }
    b->bytes = size_t(bytes);
    wl_shm_pool* pool = wl_shm_create_pool(c.shm, fd, int32_t(bytes));
    b->buffer = wl_shm_pool_create_buffer(pool, 0, deviceSize.width(), deviceSize.height(),
                                          int32_t(stride), WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(b->buffer, &BufferListener, b.get());
    // XRGB8888 in the machine's byte order is Qt's RGB32.
    b->image = QImage(static_cast<uchar*>(b->data), deviceSize.width(), deviceSize.height(),
                      int(stride), QImage::Format_RGB32);
    m_frame = b.get();
    m_buffers.push_back(std::move(b));
    return m_frame->image;
}

void DevicePixelSurface::present(const QSize& logicalSize)
{
    Connection& c = *m_connection;
    if (!m_frame || logicalSize.isEmpty())
        return;
    wl_surface_attach(c.surface, m_frame->buffer, 0, 0);
    if (c.compositorVersion >= 4)
        wl_surface_damage_buffer(c.surface, 0, 0, INT32_MAX, INT32_MAX);
    else
        wl_surface_damage(c.surface, 0, 0, INT32_MAX, INT32_MAX);
    wp_viewport_set_destination(c.viewport, logicalSize.width(), logicalSize.height());
    wl_surface_commit(c.surface);
    m_frame->busy = true;
    m_frame = nullptr;
    wl_display_flush(c.display);
}

void DevicePixelSurface::hide()
{
    Connection& c = *m_connection;
    wl_surface_attach(c.surface, nullptr, 0, 0);
    wl_surface_commit(c.surface);
    wl_display_flush(c.display);
}

#else

struct DevicePixelSurface::Connection
{
};
struct DevicePixelSurface::Buffer
{
};

std::unique_ptr<DevicePixelSurface> DevicePixelSurface::attach(QWindow*, QString* missing)
{
    if (missing)
        *missing = QStringLiteral("built without Wayland support");
    return nullptr;
}

DevicePixelSurface::~DevicePixelSurface() = default;

double DevicePixelSurface::preferredScale()
{
    return 0;
}

bool DevicePixelSurface::preferredScaleChanged()
{
    return false;
}

QImage& DevicePixelSurface::beginFrame(const QSize&)
{
    return m_none;
}

void DevicePixelSurface::present(const QSize&) {}

void DevicePixelSurface::hide() {}

#endif
