// The report tool is a command-line program for a server as much as for a teacher's PC: it paints its
// monthly PDF with QtGui, but it must not bring the screens' widget stack (Qt Widgets, Qt PrintSupport)
// with it. Read from the built executable as the dynamic loader reads it.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::Outcome;
using testing::RunHostTool;
using testing::TempDir;

bool Names(const std::string& library, const std::string& part) {
  return library.find(part) != std::string::npos;
}

// The executable's own NEEDED entries ("libQt6Gui.so.6"), not those of the libraries it loads.
std::vector<std::string> NeededLibraries(const std::string& exe, const std::string& scratch) {
  const Outcome o = RunHostTool("readelf", {"-d", "-W", exe}, scratch);
  EXPECT_EQ(o.status, 0) << o.err;
  std::vector<std::string> needed;
  std::istringstream lines(o.out);
  for (std::string line; std::getline(lines, line);) {
    // " 0x0000000000000001 (NEEDED)  Shared library: [libc.so.6]"
    const size_t open = line.find('[');
    const size_t close = line.rfind(']');
    if (Names(line, "(NEEDED)") && open != std::string::npos && close > open)
      needed.push_back(line.substr(open + 1, close - open - 1));
  }
  return needed;
}

TEST(ReportToolLinks, NeedsQtGuiAtMostAndNoWidgetsPrintSupportOrDBusOfItsOwn) {
  TempDir scratch;
  const std::vector<std::string> needed = NeededLibraries(BARDRILL_REPORT_EXE, scratch.path());
  // The C library is always there: an empty list would be a misread, not a clean tool.
  ASSERT_TRUE(std::any_of(needed.begin(), needed.end(), [](const auto& l) { return Names(l, "libc.so"); }));
  for (const std::string& library : needed) {
    EXPECT_FALSE(Names(library, "Qt6Widgets")) << library;
    EXPECT_FALSE(Names(library, "Qt6PrintSupport")) << library;
    EXPECT_FALSE(Names(library, "Qt6DBus")) << library;
    if (Names(library, "Qt6")) {
      EXPECT_TRUE(Names(library, "libQt6Gui.") || Names(library, "libQt6Core.")) << library;
    }
  }
}

// QtGui itself loads D-Bus on Debian, which the tool cannot help; Widgets and PrintSupport come only
// from what the tool links.
TEST(ReportToolLinks, LoadsNoWidgetsOrPrintSupportThroughItsLibraries) {
  TempDir scratch;
  const Outcome o = RunHostTool("ldd", {BARDRILL_REPORT_EXE}, scratch.path());
  ASSERT_EQ(o.status, 0) << o.err;
  ASSERT_TRUE(Names(o.out, "libc.so")) << o.out;
  EXPECT_FALSE(Names(o.out, "libQt6Widgets")) << o.out;
  EXPECT_FALSE(Names(o.out, "libQt6PrintSupport")) << o.out;
}

}  // namespace
}  // namespace bardrill
