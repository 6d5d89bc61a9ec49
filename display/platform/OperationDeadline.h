#pragma once

#include <algorithm>
#include <chrono>

// The time one operation (opening, listing, a change, a restore) may wait
// for a platform that stops answering, however many calls it makes: each
// call waits at most what is left.
class OperationDeadline
{
public:
    static constexpr int DefaultMs = 2000;

    explicit OperationDeadline(int budgetMs = DefaultMs)
        : m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs))
    {}

    // Milliseconds left, 0 once over.
    int remainingMs() const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            m_end - std::chrono::steady_clock::now());
        return int(std::max<long long>(0, left.count()));
    }
    bool expired() const { return remainingMs() == 0; }

private:
    std::chrono::steady_clock::time_point m_end;
};
