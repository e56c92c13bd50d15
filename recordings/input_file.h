// Opening a recording for reading: always in binary mode (a 0x1A byte is no
// end of file, CR LF is handled by the reader), and never a directory.
#ifndef BRELVIK_RECORDINGS_INPUT_FILE_H_
#define BRELVIK_RECORDINGS_INPUT_FILE_H_

#include <cstdio>
#include <string>

// The open stream, or null with *error filled ("cannot open: <reason>").
std::FILE* OpenInput(const std::string& path, std::string* error);

#endif  // BRELVIK_RECORDINGS_INPUT_FILE_H_
