#include <QApplication>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>

int main(int argc, char** argv) {
    // Listing the tests needs no windows, and no display may be there then.
    bool listing = false;
    for (int arg = 1; arg < argc; ++arg)
        listing = listing || std::strcmp(argv[arg], "--gtest_list_tests") == 0;
    std::optional<QApplication> app;
    if (!listing) {
        app.emplace(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
