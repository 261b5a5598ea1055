// Names of the show's two temp files.
#pragma once

#include <string>

namespace brelinde {

// A full path in the temp folder, "ins<hex>." followed by ext (given without a dot). The name is
// reserved by creating the file exclusively, which is then removed; nothing is left behind.
// Throws EInOutError naming the folder when the temp folder cannot be used.
std::string MakeTempName(const std::string& ext);

}  // namespace brelinde
