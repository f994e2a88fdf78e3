#pragma once
#include <string>
#include <vector>

// The PDFs that the program prints, read back with poppler's command-line tools. Each throws, naming the
// tool and what it said, when the tool is missing or fails.
namespace bardrill::testing {

// The text of `pdf` as pdftotext gives it with `options` ("-layout", "-f", "1", ...).
std::string PdfText(const std::string& pdf, const std::vector<std::string>& options = {"-layout"});
// What pdfinfo says of `pdf`.
std::string PdfInfo(const std::string& pdf);
// The number of pages that pdfinfo counts.
int PdfPages(const std::string& pdf);
// The "emb" column of pdffonts for each font of `pdf`, in order: "yes" for a font embedded in the file.
std::vector<std::string> PdfFontsEmbedded(const std::string& pdf);
// Page `page` of `pdf` drawn by pdftoppm as a PNG file at `dpi` in `folder`; the PNG's path.
std::string PdfPagePng(const std::string& pdf, int page, int dpi, const std::string& folder);

}  // namespace bardrill::testing
