#pragma once
// Where the program lives: the folder of the running executable, with a trailing '/'.

#include <string>

namespace rt {

std::string ProgramDirectory();

// Tests place the program in a folder of their own.
void SetProgramDirectoryForTests(const std::string& directory);

} // namespace rt
