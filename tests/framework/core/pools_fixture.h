// Creates the three pools for a test and destroys them after it.
#pragma once

#include <gtest/gtest.h>

#include "framework/core/mem_pool.h"

class PoolsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CMemPool::CreatePools(0x1FA000, 0x500000, 0x1000000)); }
  void TearDown() override { CMemPool::DestroyPools(); }
};
