// The office tests' main: a Qt application for the event loop and the windows, and the test
// server stopped when the tests are done.
#include "PgTestServer.h"
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    PgTestServer::shutdown();
    return rc;
}
