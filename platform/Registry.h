// The user registry (HKEY_CURRENT_USER) and its accessor TRegistry, over a replaceable hive.
//
// Paths are relative to the hive and use backslashes ("Software\Kaltvor"); one leading backslash
// is accepted and means the same. Key and value names compare without regard to ASCII case, as
// in the Windows registry. The empty value name is the key's default value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brelinde {

// Value types, with the numbers of the Windows registry.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

// A stored value as it lies in the hive: its type and its bytes (strings with their NUL).
struct RegValue {
  uint32_t type = REG_NONE;
  std::string data;
  bool operator==(const RegValue&) const = default;
};

// A REG_DWORD's data: the 4 bytes of bits, little-endian, and back. Data shorter than 4 bytes
// (only a hand edit makes it) is zero-extended; bytes past the fourth are not read.
std::string DwordBytes(uint32_t bits);
uint32_t DwordBits(std::string_view data);

// The store behind TRegistry. Key paths passed in are normalised (see NormaliseKeyPath); the
// root "" always exists. Every change is one transaction of its own.
class Hive {
 public:
  virtual ~Hive() = default;

  // The key's path as stored (its own spelling of each name), or nullopt when it does not exist.
  virtual std::optional<std::string> FindKey(const std::string& key) = 0;
  // Creates the key and every missing parent; its stored path, or nullopt when the hive cannot be
  // written.
  virtual std::optional<std::string> CreateKey(const std::string& key) = 0;
  virtual std::optional<RegValue> GetValue(const std::string& key, const std::string& name) = 0;
  // Creates or replaces a value. False when the key no longer exists or the hive cannot be
  // written.
  virtual bool SetValue(const std::string& key, const std::string& name, const RegValue& value) = 0;

  // What an editor needs besides: listing and deleting.
  virtual std::vector<std::string> SubKeyNames(const std::string& key) = 0;
  virtual std::vector<std::pair<std::string, RegValue>> Values(const std::string& key) = 0;
  // False when there was nothing to delete or the hive cannot be written (see LastError).
  virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
  // Deletes the key with all its subkeys and values; never the root.
  virtual bool DeleteKey(const std::string& key) = 0;

  // Why the last failing call failed, in words; empty after a call that succeeded.
  virtual std::string LastError() const = 0;
};

// The key path in the form a Hive takes: one leading backslash dropped, trailing backslashes
// dropped. nullopt for a path with an empty name inside ("a\\b").
std::optional<std::string> NormaliseKeyPath(std::string_view key);

// Whether two names are equal without regard to ASCII case (how the hive compares them).
bool SameName(std::string_view a, std::string_view b);

// The hive that every TRegistry of this process opens. nullptr (the default) means the SQLite file
// at DefaultHivePath(), connected afresh by each accessor. Tests install their own.
void SetHive(Hive* hive);

// The registry accessor, always on HKEY_CURRENT_USER. Errors are ERegistryException with the
// German messages of platform/Errors.h, naming the value.
//
// Keys open "for full access" in every case: the hive has no per-key rights, so there is nothing
// to ask for and nothing to refuse.
class TRegistry {
 public:
  TRegistry();
  explicit TRegistry(Hive& hive);
  ~TRegistry();  // closes the key
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Opens key (relative to the hive root, whatever was open before). With can_create, the key and
  // any missing parents are created. False when the key does not exist (without creation) or
  // cannot be created; then no key is current.
  bool OpenKey(const std::string& key, bool can_create);
  void CloseKey();

  // True for a value of any type in the current key; false when no key is current.
  bool ValueExists(const std::string& name);
  // A REG_DWORD as a signed 32-bit integer. A missing value, or data longer than 4 bytes of any
  // type: "Fehler beim Holen der Daten für '%s'"; another type: "Ungültiger Datentyp für '%s'".
  int32_t ReadInteger(const std::string& name);
  // Stores a REG_DWORD of 4 bytes; "Fehler beim Setzen der Daten für '%s'" when it cannot.
  void WriteInteger(const std::string& name, int32_t value);
  // A REG_SZ or REG_EXPAND_SZ (not expanded) up to its first NUL; empty for a missing value.
  // Another type: "Ungültiger Datentyp für '%s'".
  std::string ReadString(const std::string& name);
  // Always stores a REG_SZ with its terminating NUL (text up to a NUL inside it, if any).
  void WriteString(const std::string& name, const std::string& value);

  bool HasCurrentKey() const { return current_.has_value(); }
  // The open key's path as the hive spells it; empty when none is open (or the root is).
  std::string CurrentPath() const { return current_.value_or(std::string()); }

  // How many keys are open in this process right now, through any accessor: tests show with it
  // that every path releases its key.
  static int OpenKeys();

 private:
  void Write(const std::string& name, const RegValue& value);

  std::unique_ptr<Hive> owned_;  // the hive file's connection, when no hive was installed
  Hive* hive_ = nullptr;
  std::optional<std::string> current_;
};

}  // namespace brelinde
