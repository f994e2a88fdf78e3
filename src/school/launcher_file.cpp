#include "school/launcher_file.h"

#include <algorithm>
#include <cstring>

namespace bardrill::school {

namespace {

// Single-quoted for the shell: a quote inside closes the quoting, is escaped and opens it again.
std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

constexpr const char* kLauncherMark = "# bardrill-school: starts the installed program on this school";
constexpr const char* kLauncherExec = "exec ";
// The folder of the file itself, not of a link to it: a desktop shortcut is often a symbolic link.
constexpr const char* kLauncherTail = " --program-folder \"$(dirname \"$(readlink -f \"$0\")\")\" \"$@\"";
// What follows the mark in a launcher program: the installed program's path on a line of its own, which
// ends the file. The launcher's own image holds the mark too (it looks for it), but never followed by this.
constexpr const char* kImageLine = ", the folder this program is in:\r\n";
constexpr const char* kImageEnd = "\r\n";

std::optional<std::string> ImageTarget(const std::string& bytes, size_t after) {
  if (bytes.compare(after, std::strlen(kImageLine), kImageLine) != 0) return std::nullopt;
  std::string program = bytes.substr(after + std::strlen(kImageLine));
  const size_t end = program.size() - std::min(program.size(), std::strlen(kImageEnd));
  if (program.compare(end, std::string::npos, kImageEnd) != 0) return std::nullopt;
  program.resize(end);
  if (program.empty() || program.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
    return std::nullopt;
  return program;
}

std::optional<std::string> ScriptTarget(const std::string& text, size_t after) {
  if (text.rfind("#!", 0) != 0) return std::nullopt;
  const size_t start = text.find(std::string("\n") + kLauncherExec + "'", after);
  if (start == std::string::npos) return std::nullopt;
  std::string program;
  for (size_t i = start + 1 + std::strlen(kLauncherExec) + 1; i < text.size(); ++i) {
    if (text.compare(i, 4, "'\\''") == 0) {
      program += '\'';
      i += 3;
    } else if (text[i] == '\'') {
      return program;
    } else {
      program += text[i];
    }
  }
  return std::nullopt;
}

}  // namespace

std::string LauncherText(const std::string& program) {
  return std::string("#!/bin/sh\n") + kLauncherMark + ", the folder this file is in.\n" + kLauncherExec +
         ShellQuoted(program) + kLauncherTail + "\n";
}

std::string LauncherImage(const std::string& launcherImage, const std::string& program) {
  return launcherImage + kImageEnd + kLauncherMark + kImageLine + program + kImageEnd;
}

std::optional<std::string> LauncherTarget(const std::string& fileBytes) {
  const size_t mark = fileBytes.rfind(kLauncherMark);
  if (mark == std::string::npos) return std::nullopt;
  const size_t after = mark + std::strlen(kLauncherMark);
  if (std::optional<std::string> program = ImageTarget(fileBytes, after)) return program;
  return ScriptTarget(fileBytes, after);
}

}  // namespace bardrill::school
