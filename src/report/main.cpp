#include <iostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/streams.h"
#include "report/report.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  bardrill::PrepareStandardStreams();
  bardrill::SystemClock clock;
  return bardrill::report::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, clock);
}
