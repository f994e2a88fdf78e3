#include "support/pdf_tools.h"

#include <sstream>
#include <stdexcept>

#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill::testing {

namespace {

// Runs poppler's `tool`; its standard output.
std::string Run(const std::string& tool, const std::vector<std::string>& args) {
  TempDir scratch;
  const Outcome o = RunHostTool(tool, args, scratch.path());
  if (o.status != 0)
    throw std::runtime_error(tool + " (poppler-utils) failed (" + std::to_string(o.status) + "): " + o.err);
  return o.out;
}

}  // namespace

std::string PdfText(const std::string& pdf, const std::vector<std::string>& options) {
  TempDir out;
  const std::string text = out / "text.txt";
  std::vector<std::string> args = options;
  args.push_back(HostToolPath(pdf));
  args.push_back(HostToolPath(text));
  Run("pdftotext", args);
  return ReadBytes(text);
}

std::string PdfInfo(const std::string& pdf) { return Run("pdfinfo", {HostToolPath(pdf)}); }

int PdfPages(const std::string& pdf) {
  const std::string info = PdfInfo(pdf);
  const std::string::size_type at = info.find("Pages:");
  if (at == std::string::npos) throw std::runtime_error("pdfinfo counts no pages in " + pdf + ": " + info);
  return std::stoi(info.substr(at + 6));
}

std::vector<std::string> PdfFontsEmbedded(const std::string& pdf) {
  std::istringstream lines(Run("pdffonts", {HostToolPath(pdf)}));
  std::string line;
  std::getline(lines, line);  // the heading
  std::getline(lines, line);  // its underline
  std::vector<std::string> embedded;
  while (std::getline(lines, line)) {
    // Names and types may hold spaces; the last five columns (emb sub uni object ID) never do.
    std::istringstream words(line);
    std::vector<std::string> columns;
    for (std::string w; words >> w;) columns.push_back(w);
    if (columns.size() >= 5) embedded.push_back(columns[columns.size() - 5]);
  }
  return embedded;
}

std::string PdfPagePng(const std::string& pdf, int page, int dpi, const std::string& folder) {
  const std::string prefix = folder + "page" + std::to_string(page);
  const std::string number = std::to_string(page);
  Run("pdftoppm", {"-r", std::to_string(dpi), "-f", number, "-l", number, "-png", "-singlefile",
                   HostToolPath(pdf), HostToolPath(prefix)});
  return prefix + ".png";
}

}  // namespace bardrill::testing
