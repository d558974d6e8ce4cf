// The variable files kept between runs in the current directory:
// "Varreal.dat" (28 little-endian doubles: a..z, AngleFactor, LastAnswer)
// and "vardimr.dat" (26 little-endian 16-bit defined-flags).
#pragma once

#include <string>

namespace tarvo {

inline constexpr const char* kValueFile = "Varreal.dat";
inline constexpr const char* kFlagFile = "vardimr.dat";

// Reads both files from `dir` into the engine's store when they exist. A short
// file fills only its leading entries; a value that is not a finite number is
// ignored (the preset stays). Missing files are no error.
void LoadVariableFiles(const std::string& dir);

struct SaveResult {
  bool ok = true;
  std::string file;    // the file that could not be written
  std::string reason;  // the system's reason
};

// Writes both files into `dir` through temporary files that are renamed over
// the old ones only when both are written, so a failed save leaves the
// previous files intact.
SaveResult SaveVariableFiles(const std::string& dir);

// Called by SaveVariableFiles after both temporary files are written and
// before either is renamed; tests stop the process there. nullptr: none.
void SetSaveInterruptionForTest(void (*hook)());

}  // namespace tarvo
