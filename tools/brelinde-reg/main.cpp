// brelinde-reg: shows and edits the hive that stands in for HKEY_CURRENT_USER, the way the
// Windows reg tool does, so a user can see and change what Brelinde stores.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "platform/SqliteHive.h"

namespace brelinde {
namespace {

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;     // not found, not written, or declined at the prompt
constexpr int kBadSyntax = 2;  // the command line itself is wrong

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";

constexpr const char* kUsage = R"(Usage:
  brelinde-reg query  KEY [/v NAME | /ve] [/s]
  brelinde-reg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
  brelinde-reg delete KEY [/v NAME | /ve] [/f]
  brelinde-reg --help

Shows and changes Brelinde's stand-in for the Windows user registry, the file
$XDG_CONFIG_HOME/brelinde/registry.db (~/.config/brelinde/registry.db).

  KEY      HKCU\path or HKEY_CURRENT_USER\path; names do not depend on case.
           Brelinde keeps its settings in "HKCU\Software\Kaltvor\Kaltvor - Brelinde".
  /v NAME  the value NAME of the key
  /ve      the key's default value (the value with the empty name)
  /s       query: the key and all keys below it
  /t TYPE  add: REG_SZ (the default), REG_EXPAND_SZ, REG_DWORD or REG_BINARY
  /d DATA  add: the data. REG_DWORD: a decimal number (-2147483648 to 4294967295) or
           0x and up to 8 hex digits; REG_BINARY: pairs of hex digits; strings as given.
  /f       add: overwrite an existing value; delete: do not ask.
           Without /f the question is read from standard input (y or yes to go on).

query prints the value's data as reg does: strings as text, REG_DWORD as 0x hex,
everything else as hex bytes. add without /v or /ve creates just the key (and its
parents). delete without /v or /ve deletes the key with everything below it.
Switches may start with / or -, in any case.

Exit codes: 0 done, 1 not found, not written or declined, 2 wrong command line.

Example:
  brelinde-reg add "HKCU\Software\Kaltvor\Kaltvor - Brelinde" /v Effect /t REG_DWORD /d 5 /f
)";

struct Command {
  std::string op;                    // query, add, delete (lower case)
  std::string key;                   // normalised, relative to the hive
  std::optional<std::string> value;  // set by /v NAME or /ve ("")
  std::optional<std::string> type;
  std::optional<std::string> data;
  bool force = false;
  bool recursive = false;
  std::optional<RegValue> new_value;  // add: the value /t and /d describe
};

struct UsageError {
  std::string text;
};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// "HKCU\a\b" or "HKEY_CURRENT_USER\a\b" to "a\b"; other hives are not kept here.
std::string ParseKey(const std::string& text) {
  const size_t slash = text.find('\\');
  const std::string root = Lower(text.substr(0, slash));
  const std::string rest = slash == std::string::npos ? std::string() : text.substr(slash + 1);
  if (root != "hkcu" && root != "hkey_current_user") {
    throw UsageError{"ERROR: Invalid key name \"" + text +
                     "\". Only HKCU (HKEY_CURRENT_USER) is kept by Brelinde."};
  }
  // The root spelled with a backslash after it ("HKCU\") is still the root; "HKCU\\a" is not a key.
  const std::optional<std::string> path =
      rest.empty() ? std::optional<std::string>("") : NormaliseKeyPath(rest);
  if (!path || (!rest.empty() && rest.front() == '\\')) {
    throw UsageError{"ERROR: Invalid key name \"" + text + "\": a name inside it is empty."};
  }
  return *path;
}

Command Parse(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError{"ERROR: Invalid syntax: no operation given."};
  Command cmd;
  cmd.op = Lower(args[0]);
  if (cmd.op != "query" && cmd.op != "add" && cmd.op != "delete") {
    throw UsageError{"ERROR: Invalid syntax: unknown operation \"" + args[0] + "\"."};
  }
  if (args.size() < 2) throw UsageError{"ERROR: Invalid syntax: " + cmd.op + " needs a KEY."};
  cmd.key = ParseKey(args[1]);

  const auto once = [](bool already, const std::string& sw) {
    if (already) throw UsageError{"ERROR: Invalid syntax: " + sw + " given twice."};
  };
  bool value_given = false;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // The switch in one spelling: "/" and lower case. (Made in place: GCC 12 misreads joining
    // "/" to the rest as an overlapping copy at -O3.)
    std::string sw;
    if (arg.size() > 1 && (arg[0] == '/' || arg[0] == '-')) {
      sw = Lower(arg);
      sw[0] = '/';
    }
    const auto operand = [&]() -> std::string {
      if (i + 1 >= args.size())
        throw UsageError{"ERROR: Invalid syntax: " + sw + " needs a value."};
      return args[++i];
    };
    const bool is_add = cmd.op == "add";
    if (sw == "/v" || sw == "/ve") {
      if (value_given) throw UsageError{"ERROR: Invalid syntax: use one of /v and /ve, once."};
      value_given = true;
      cmd.value = sw == "/ve" ? std::string() : operand();
    } else if (sw == "/t" && is_add) {
      once(cmd.type.has_value(), sw);
      cmd.type = operand();
    } else if (sw == "/d" && is_add) {
      once(cmd.data.has_value(), sw);
      cmd.data = operand();
    } else if (sw == "/f" && cmd.op != "query") {
      once(cmd.force, sw);
      cmd.force = true;
    } else if (sw == "/s" && cmd.op == "query") {
      once(cmd.recursive, sw);
      cmd.recursive = true;
    } else {
      throw UsageError{"ERROR: Invalid syntax: \"" + arg + "\" is not a switch of " + cmd.op + "."};
    }
  }
  if ((cmd.type || cmd.data) && !cmd.value) {
    throw UsageError{"ERROR: Invalid syntax: /t and /d need /v NAME or /ve."};
  }
  return cmd;
}

uint32_t TypeCode(const std::string& name) {
  const std::string t = Lower(name);
  if (t == "reg_sz") return REG_SZ;
  if (t == "reg_expand_sz") return REG_EXPAND_SZ;
  if (t == "reg_dword") return REG_DWORD;
  if (t == "reg_binary") return REG_BINARY;
  throw UsageError{"ERROR: Invalid type \"" + name +
                   "\". Use REG_SZ, REG_EXPAND_SZ, REG_DWORD or REG_BINARY."};
}

std::string TypeName(uint32_t type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case 5:
      return "REG_DWORD_BIG_ENDIAN";
    case 6:
      return "REG_LINK";
    case 7:
      return "REG_MULTI_SZ";
    case 11:
      return "REG_QWORD";
    default:
      return "REG_TYPE_" + std::to_string(type);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DwordData(const std::string& text) {
  const auto bad = [&] {
    return UsageError{"ERROR: Invalid REG_DWORD data \"" + text +
                      "\": give a number from -2147483648 to 4294967295, or 0x and up to 8 hex "
                      "digits."};
  };
  int64_t v = 0;
  std::string_view s(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    if (s.size() > 8) throw bad();
    for (char c : s) {
      if (HexDigit(c) < 0) throw bad();
      v = v * 16 + HexDigit(c);
    }
  } else {
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) s.remove_prefix(1);
    if (s.empty() || s.size() > 10) throw bad();
    for (char c : s) {
      if (c < '0' || c > '9') throw bad();
      v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > UINT32_MAX) throw bad();
  }
  return DwordBytes(static_cast<uint32_t>(v));
}

std::string BinaryData(const std::string& text) {
  if (text.size() % 2 != 0) {
    throw UsageError{"ERROR: Invalid REG_BINARY data \"" + text +
                     "\": an odd number of hex digits."};
  }
  std::string data;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexDigit(text[i]);
    const int lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) {
      throw UsageError{"ERROR: Invalid REG_BINARY data \"" + text + "\": only hex digits."};
    }
    data.push_back(static_cast<char>(hi * 16 + lo));
  }
  return data;
}

RegValue MakeValue(const Command& cmd) {
  const uint32_t type = TypeCode(cmd.type.value_or("REG_SZ"));
  const std::string text = cmd.data.value_or("");
  switch (type) {
    case REG_DWORD:
      return {type, cmd.data ? DwordData(text) : std::string(4, '\0')};
    case REG_BINARY:
      return {type, BinaryData(text)};
    default:
      return {type, text.substr(0, text.find('\0')) + '\0'};
  }
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string Shown(const RegValue& v) {
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) return v.data.substr(0, v.data.find('\0'));
  if (v.type == REG_DWORD && v.data.size() == 4) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", DwordBits(v.data));
    return buf;
  }
  return Hex(v.data);
}

std::string FullName(const std::string& key) {
  return key.empty() ? std::string(kRootName) : std::string(kRootName) + "\\" + key;
}

void PrintValue(const std::string& name, const RegValue& v) {
  std::cout << "    " << (name.empty() ? "(Default)" : name) << "    " << TypeName(v.type) << "    "
            << Shown(v) << "\n";
}

bool Confirm(const std::string& question) {
  std::cout << question << " (Yes/No)? " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    std::cout << "\n";
    return false;
  }
  const std::string a = Lower(answer);
  return a == "y" || a == "yes";
}

int NotFound() {
  std::cerr << "ERROR: The system was unable to find the specified registry key or value.\n";
  return kFailed;
}

int NotWritten(const SqliteHive& hive) {
  std::cerr << "ERROR: The hive " << hive.Path() << " could not be changed: " << hive.LastError()
            << "\n";
  return kFailed;
}

int Done() {
  std::cout << "The operation completed successfully.\n";
  return kOk;
}

int Declined() {
  std::cout << "The operation was cancelled by the user.\n";
  return kFailed;
}

void QueryKey(SqliteHive& hive, const std::string& key, bool recursive) {
  std::cout << "\n" << FullName(key) << "\n";
  for (const auto& [name, value] : hive.Values(key)) PrintValue(name, value);
  for (const std::string& sub : hive.SubKeyNames(key)) {
    const std::string child = key.empty() ? sub : key + "\\" + sub;
    if (recursive) {
      QueryKey(hive, child, true);
    } else {
      std::cout << "\n" << FullName(child);
    }
  }
  if (!recursive) std::cout << "\n";
}

int Query(SqliteHive& hive, const Command& cmd) {
  const std::optional<std::string> key = hive.FindKey(cmd.key);
  if (!key) return NotFound();
  if (cmd.value) {
    const std::optional<RegValue> v = hive.GetValue(*key, *cmd.value);
    if (!v) return NotFound();
    // The stored spelling of the name, as a listing would show it.
    std::string name = *cmd.value;
    for (const auto& [stored, ignored] : hive.Values(*key)) {
      if (SameName(stored, name)) name = stored;
    }
    std::cout << "\n" << FullName(*key) << "\n";
    PrintValue(name, *v);
    std::cout << "\n";
    return kOk;
  }
  QueryKey(hive, *key, cmd.recursive);
  return kOk;
}

int Add(SqliteHive& hive, const Command& cmd) {
  // An existing key is found, not written: reg, too, reports success for it.
  const std::optional<std::string> key = hive.CreateKey(cmd.key);
  if (!key) return NotWritten(hive);
  if (!cmd.new_value) return Done();
  if (!cmd.force && hive.GetValue(*key, *cmd.value)) {
    const std::string shown = cmd.value->empty() ? "(Default)" : *cmd.value;
    if (!Confirm("Value " + shown + " exists, overwrite")) return Declined();
  }
  if (!hive.SetValue(*key, *cmd.value, *cmd.new_value)) return NotWritten(hive);
  return Done();
}

int Delete(SqliteHive& hive, const Command& cmd) {
  const std::optional<std::string> key = hive.FindKey(cmd.key);
  if (!key) return NotFound();
  if (cmd.value) {
    if (!hive.GetValue(*key, *cmd.value)) return NotFound();
    const std::string shown = cmd.value->empty() ? "(Default)" : *cmd.value;
    if (!cmd.force && !Confirm("Delete the registry value " + shown)) return Declined();
    if (!hive.DeleteValue(*key, *cmd.value)) return NotWritten(hive);
    return Done();
  }
  if (key->empty()) {
    std::cerr << "ERROR: " << kRootName << " itself cannot be deleted; name a key below it.\n";
    return kBadSyntax;
  }
  if (!cmd.force && !Confirm("Permanently delete the registry key " + FullName(*key))) {
    return Declined();
  }
  if (!hive.DeleteKey(*key)) return NotWritten(hive);
  return Done();
}

int Run(const std::vector<std::string>& args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "/?")) {
    std::cout << kUsage;
    return kOk;
  }
  Command cmd;
  try {
    cmd = Parse(args);
    // Type and data are checked before the hive is touched.
    if (cmd.op == "add" && cmd.value) cmd.new_value = MakeValue(cmd);
  } catch (const UsageError& e) {
    std::cerr << e.text << "\nType \"brelinde-reg --help\" for usage.\n";
    return kBadSyntax;
  }
  SqliteHive hive(DefaultHivePath());
  if (cmd.op == "query") return Query(hive, cmd);
  if (cmd.op == "add") return Add(hive, cmd);
  return Delete(hive, cmd);
}

}  // namespace
}  // namespace brelinde

int main(int argc, char** argv) {
  return brelinde::Run(std::vector<std::string>(argv + 1, argv + argc));
}
