#include <gtest/gtest.h>

TEST(WindowLayer, Placeholder) {}
