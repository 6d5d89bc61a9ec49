#pragma once

#include "widgets/AbstractWidgetWrapper.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/WindowResult.h"

#include <QDebug>

#include <cstdint>
#include <type_traits>

// Construction values of one test window of class T. A test fills it on its
// stack and hands it to the host, which calls run() on its user-interface
// thread; the window lives only inside that call.
template <typename T> class DisplayWidgetWrapper : public AbstractWidgetWrapper
{
public:
    int run(QWidget* parent, QObject* eventFilter) override
    {
        if constexpr (std::is_same_v<T, DisplayInteractiveWidget>) {
            T window(parent, eventFilter, x, y, width, height, mode, systemEventWord,
                     timeoutSeconds, InteractiveDigitCount);
            return execute(window);
        } else {
            T window(parent, eventFilter, x, y, width, height, mode, systemEventWord,
                     timeoutSeconds);
            return execute(window);
        }
    }

    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t mode = 0;
    const uint32_t* systemEventWord = nullptr;
    uint32_t timeoutSeconds = 0;

    static constexpr int InteractiveDigitCount = 3;

private:
    static int execute(T& window)
    {
        qDebug().nospace().noquote() << "exec filter installed";
        window.exec();
        // Whatever ended the window, its result goes back as it is.
        return window.result();
    }
};
