// Writing the show's files: created always, never through a symbolic link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace brelinde {

// Creates path (an existing file is emptied) and writes bytes to it. A symbolic link at path is
// refused, never followed. Throws EFCreateError "Datei "<path>" kann nicht erstellt werden. <why>".
void WriteWholeFile(const std::string& path, std::span<const std::byte> bytes);
void WriteWholeFile(const std::string& path, std::string_view text);

// The whole content of a file; throws EInOutError naming the file when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace brelinde
