#pragma once

#include <QWidget>

#ifdef _WIN32
#define MODULE_DISPLAY_EXPORT __declspec(dllexport)
#else
#define MODULE_DISPLAY_EXPORT __attribute__((visibility("default")))
#endif

// A widget class whose destructor the library exports for hosts that expect
// it; the module itself never creates one.
class TarnLiteDpi : public QWidget
{
public:
    using QWidget::QWidget;
    MODULE_DISPLAY_EXPORT ~TarnLiteDpi() override;
};
