// Output goes to a pipe under Wine: unbuffered, so a test that is killed by
// its time limit still shows how far it came.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS() == 0 ? 0 : 1;
}
