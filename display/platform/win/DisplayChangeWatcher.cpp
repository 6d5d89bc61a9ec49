#include "display/platform/win/DisplayChangeWatcher.h"

#include "display/platform/DisplayBackend.h"

#include <dbt.h>

namespace {
const wchar_t* const windowClass = L"OrvaneDisplayChangeWatcher";

const UINT_PTR layoutTimer = 1;
const UINT layoutCheckMs = 1000;

int monitorCount()
{
    return GetSystemMetrics(SM_CMONITORS);
}

BOOL CALLBACK describeMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info)) {
        auto* layout = reinterpret_cast<std::wstring*>(data);
        const RECT& r = info.rcMonitor;
        *layout += std::wstring(info.szDevice) + L" " + std::to_wstring(r.left) + L"," +
                   std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
                   std::to_wstring(r.bottom) + L";";
    }
    return TRUE;
}
} // namespace

std::wstring DisplayChangeWatcher::layout()
{
    std::wstring layout;
    EnumDisplayMonitors(nullptr, nullptr, describeMonitor, reinterpret_cast<LPARAM>(&layout));
    return layout;
}

DisplayChangeWatcher::DisplayChangeWatcher(Report report) : m_report(std::move(report))
{
    // The window is made on the thread that reads its messages; wait until
    // it exists (or failed) so that isListening() answers at once.
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready)
        return;
    m_thread = std::thread(&DisplayChangeWatcher::run, this, ready);
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

DisplayChangeWatcher::~DisplayChangeWatcher()
{
    if (m_thread.joinable()) {
        if (m_window)
            PostMessageW(m_window, WM_CLOSE, 0, 0);
        else
            PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
}

void DisplayChangeWatcher::run(HANDLE ready)
{
    m_threadId = GetCurrentThreadId();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW description = {};
    description.lpfnWndProc = &DisplayChangeWatcher::windowProcedure;
    description.hInstance = instance;
    description.lpszClassName = windowClass;
    // A second watcher finds the class already there.
    if (!RegisterClassW(&description) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        SetEvent(ready);
        return;
    }
    m_monitorCount = monitorCount();
    m_layout = layout();
    m_window = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, instance, this);
    SetEvent(ready);
    if (!m_window)
        return;
    SetTimer(m_window, layoutTimer, layoutCheckMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK DisplayChangeWatcher::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                       LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* watcher =
        reinterpret_cast<DisplayChangeWatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_DISPLAYCHANGE:
    case WM_DEVICECHANGE:
    case WM_TIMER:
        if (watcher)
            watcher->handle(message, wParam);
        return message == WM_DEVICECHANGE ? TRUE : 0;
    case WM_CLOSE:
        KillTimer(window, layoutTimer);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void DisplayChangeWatcher::handle(UINT message, WPARAM wParam)
{
    if (message == WM_DEVICECHANGE && wParam != DBT_DEVNODES_CHANGED &&
        wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE)
        return;
    const int count = monitorCount();
    const std::wstring now = layout();
    if (message == WM_TIMER && now == m_layout)
        return;
    uint32_t events = 0;
    if (count > m_monitorCount)
        events |= DisplayBackend::DisplayAdded;
    else if (count < m_monitorCount)
        events |= DisplayBackend::DisplayRemoved;
    if (message != WM_DEVICECHANGE && (count == m_monitorCount || message == WM_DISPLAYCHANGE))
        events |= DisplayBackend::DisplayReconfigured;
    m_monitorCount = count;
    m_layout = now;
    if (events && m_report)
        m_report(events);
}
