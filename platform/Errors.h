// The exception classes of the platform and every message text it shows, in one place.
// Texts are German, as the original class library worded them.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace brelinde {

namespace msg {
inline constexpr std::string_view kInvalidInteger = "'%s' ist kein gültiger Integerwert";
inline constexpr std::string_view kApplicationErrorTitle = "Anwendungsfehler";
inline constexpr std::string_view kRegGetDataFailed = "Fehler beim Holen der Daten für '%s'";
inline constexpr std::string_view kRegInvalidDataType = "Ungültiger Datentyp für '%s'";
inline constexpr std::string_view kRegSetDataFailed = "Fehler beim Setzen der Daten für '%s'";
inline constexpr std::string_view kHiveUnusable = "Registrierungsdatei \"%s\" ist nicht verwendbar (%s): gespeicherte Werte werden nicht gelesen, Schreiben schlägt fehl, die Datei bleibt unverändert.";
// Why a hive call failed, as its LastError and the line above give it.
inline constexpr std::string_view kHiveNoHomeFolder = "kein Benutzerordner";
inline constexpr std::string_view kHiveKeyGone = "Schlüssel \"%s\" existiert nicht mehr";
inline constexpr std::string_view kHiveRootNotDeleted = "der Wurzelschlüssel wird nicht gelöscht";
inline constexpr std::string_view kFileCreateError = "Datei \"%s\" kann nicht erstellt werden. %s";
inline constexpr std::string_view kFileReadError = "Datei \"%s\" kann nicht gelesen werden. %s";
inline constexpr std::string_view kResourceNotFound = "Ressource %s wurde nicht gefunden";
inline constexpr std::string_view kJpegError = "JPEG-Fehler #%d";
inline constexpr std::string_view kPictureNotShown = "Bild \"%s\" wird nicht angezeigt: %s";
inline constexpr std::string_view kTempFolderUnusable = "Temp-Ordner \"%s\" ist nicht verwendbar. %s";
inline constexpr std::string_view kNoDisplaySet = "Keine X-Anzeige: die Umgebungsvariable DISPLAY ist nicht gesetzt.";
inline constexpr std::string_view kDisplayUnreachable = "Die X-Anzeige \"%s\" ist nicht erreichbar.";
inline constexpr std::string_view kNoSuchWindow = "Das Fenster %s existiert nicht.";
}  // namespace msg

// Replaces each %s or %d of fmt, in order, by the next argument.
std::string Format(std::string_view fmt, std::initializer_list<std::string_view> args);
std::string Format(std::string_view fmt, std::string_view arg);
std::string Format(std::string_view fmt, long long arg);

// Base of every error the system raises; ClassName() is what an error report names.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  virtual const char* ClassName() const noexcept { return "Exception"; }
};

#define BRELINDE_EXCEPTION(Name)                                           \
  class Name : public Exception {                                          \
   public:                                                                 \
    using Exception::Exception;                                            \
    const char* ClassName() const noexcept override { return #Name; }      \
  }

BRELINDE_EXCEPTION(EConvertError);       // text that is not an integer
BRELINDE_EXCEPTION(ERegistryException);  // registry reads and writes
BRELINDE_EXCEPTION(EFCreateError);       // a file that cannot be created
BRELINDE_EXCEPTION(EResNotFound);        // a resource id the program does not carry
BRELINDE_EXCEPTION(EJPEG);               // the JPEG reader refused the data
BRELINDE_EXCEPTION(EInOutError);         // a folder or file the system cannot use
BRELINDE_EXCEPTION(EWindowError);        // a window handle that names no window

#undef BRELINDE_EXCEPTION

// The report of an error that stops start-up: class, module, then the message.
std::string StartUpErrorReport(const Exception& e, std::string_view module);

}  // namespace brelinde
