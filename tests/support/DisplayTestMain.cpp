// Runs the tests on a thread of their own while the main thread runs the
// display, as in the program, where loopers wait for the display and the
// display waits for nobody.

#include "display/Display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    display::Initialize();
    int result = 1;
    std::thread tests([&] {
        result = RUN_ALL_TESTS();
        display::Exit();
    });
    display::Exec();
    tests.join();
    return result;
}
