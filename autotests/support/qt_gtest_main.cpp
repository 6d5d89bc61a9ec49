#include <QApplication>

#include <gtest/gtest.h>

// Runs the GoogleTest suite inside a QApplication so that widget tests can
// build and execute real windows (CTest selects the offscreen platform).
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
