#include <iostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "school/cli.h"

int main(int argc, char** argv) {
  bardrill::SystemClock clock;
  return bardrill::school::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, clock);
}
