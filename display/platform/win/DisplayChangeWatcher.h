#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// Hears of display changes made by anyone: a hidden top-level window on a
// thread of its own receives the broadcasts WM_DISPLAYCHANGE (a mode,
// position or layout changed) and WM_DEVICECHANGE (a device came or went) and
// reports them as DisplayBackend::DisplayEvent bits. Whether a device change
// added or removed a monitor is told by counting the monitors before and
// after. Message-only windows get no broadcasts, hence a real, never shown one.
// A layout changed behind the system's back is not always announced (Wine
// says nothing when its X server is changed by others), so the window also
// compares the monitors' layout once a second and reports what changed.
class DisplayChangeWatcher
{
public:
    using Report = std::function<void(uint32_t events)>;

    // Starts listening; report is called on the watcher's thread.
    explicit DisplayChangeWatcher(Report report);
    // Stops listening and waits for the thread.
    ~DisplayChangeWatcher();
    DisplayChangeWatcher(const DisplayChangeWatcher&) = delete;
    DisplayChangeWatcher& operator=(const DisplayChangeWatcher&) = delete;

    // False when the window could not be made (nothing will be reported).
    bool isListening() const { return m_window != nullptr; }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void run(HANDLE ready);
    void handle(UINT message, WPARAM wParam);
    // The monitors' places and outputs, to tell whether anything changed.
    static std::wstring layout();

    Report m_report;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    int m_monitorCount = 0;
    std::wstring m_layout;
    std::thread m_thread;
};
