#pragma once
#include <string>

namespace bardrill::school {

// Writes the program's sounds into `folder` (an existing folder): the sound map 新音ファイル.txt and the
// WAV files it names, the right and wrong answers with several variants each, and the two fixed sounds
// of the completion screen. Throws std::runtime_error naming the file that failed.
void WriteProgramSounds(const std::string& folder);

}  // namespace bardrill::school
