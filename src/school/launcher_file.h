#pragma once
#include <optional>
#include <string>

// The launcher that init puts in a school's program folder, which starts the installed program on that
// folder. It holds the installed program's path, so that what a program folder starts can be read back
// (bardrill-school check) from the launcher alone, and a copy of it still starts the same program.
namespace bardrill::school {

// The launcher as a script: one that starts `program` on its own folder (Linux).
std::string LauncherText(const std::string& program);
// The launcher as a Windows program: the image of bardrill-launcher.exe with the path of `program`
// appended after it, where Windows loads nothing and the launcher reads it from its own file.
std::string LauncherImage(const std::string& launcherImage, const std::string& program);
// The program that a launcher of either kind starts; nothing for any other file (bardrill-launcher.exe
// as built, which starts nothing, among them).
std::optional<std::string> LauncherTarget(const std::string& fileBytes);

}  // namespace bardrill::school
