#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

TEST(ResObj, Smoke) { EXPECT_EQ(Kv3dResObj::same_point_tol(), 0.001); }
