#include <gtest/gtest.h>

#include "support/process.h"

int main(int argc, char** argv) {
  if (std::optional<int> status = bardrill::testing::RunChildTaskIfAsked(argc, argv)) return *status;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
