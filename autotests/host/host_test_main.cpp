#include <QApplication>

#include <gtest/gtest.h>

// Host tests need a QApplication: the runner carries requests to its thread
// and test windows are widgets.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
