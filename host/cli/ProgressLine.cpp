#include "host/cli/ProgressLine.h"

#include "host/cli/TerminalColumns.h"

namespace {
int terminalWidth(std::FILE* stream)
{
    return TerminalColumns::of(stream);
}

// Columns a UTF-8 text takes, counting each character as one.
size_t columns(const std::string& text)
{
    size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}
} // namespace

ProgressLine::ProgressLine(std::FILE* stream, bool enabled) : m_stream(stream), m_enabled(enabled)
{
    if (m_enabled)
        m_ticker = std::thread([this]() { tick(); });
}

ProgressLine::~ProgressLine()
{
    finish();
    if (m_ticker.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_ticker.join();
    }
}

void ProgressLine::tick()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        m_wake.wait_for(lock, std::chrono::seconds(1));
        if (!m_quit)
            draw();
    }
}

std::string ProgressLine::compose(const std::string& device, const std::string& test, int percent,
                                  const std::string& text, qint64 seconds, int width)
{
    std::string line = device + "  " + test + "  " + std::to_string(percent) + "%";
    if (!text.empty())
        line += "  " + text;
    const std::string elapsed = "  " + std::to_string(seconds) + " s";
    if (width > 0 && columns(line + elapsed) >= size_t(width)) {
        // Cut the text, never the elapsed time; a wrapped line could not be
        // redrawn in place. The count drops only when a character's first
        // byte goes, so the cut falls between characters.
        size_t keep = line.size();
        while (keep > 0 && columns(line.substr(0, keep)) + columns(elapsed) + 1 >= size_t(width))
            --keep;
        line = line.substr(0, keep) + "…";
    }
    return line + elapsed;
}

void ProgressLine::start(const std::string& device, const std::string& test)
{
    if (!m_enabled)
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_device = device;
    m_test = test;
    m_text.clear();
    m_percent = 0;
    m_running = true;
    m_clock.start();
    draw();
    // The seconds count from the test's start.
    m_wake.notify_all();
}

void ProgressLine::update(int percent, const std::string& text)
{
    if (!m_enabled)
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_running)
        return;
    m_percent = percent;
    if (!text.empty())
        m_text = text;
    draw();
}

void ProgressLine::clear()
{
    if (!m_enabled)
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_shown)
        return;
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_shown = false;
}

void ProgressLine::suspend()
{
    clear();
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_suspended = true;
}

void ProgressLine::resume()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_suspended = false;
    draw();
}

void ProgressLine::finish()
{
    clear();
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_running = false;
}

void ProgressLine::draw()
{
    if (!m_enabled || !m_running || m_suspended)
        return;
    const std::string line = compose(m_device, m_test, m_percent, m_text, m_clock.elapsed() / 1000,
                                     terminalWidth(m_stream));
    std::fputs(("\r\033[K" + line).c_str(), m_stream);
    std::fflush(m_stream);
    m_shown = true;
}
