#include "show/TempNames.h"

#include "platform/System.h"

namespace brelinde {

std::string MakeTempName(const std::string& ext) {
  System& sys = Sys();
  const std::string reservation = sys.CreateTempFile(sys.TempPath(), "inst");
  sys.RemoveFile(reservation);
  return reservation.substr(0, reservation.size() - 3) + ext;
}

}  // namespace brelinde
