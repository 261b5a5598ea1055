#include "platform/Registry.h"

#include <atomic>
#include <cctype>

#include "platform/Errors.h"
#include "platform/SqliteHive.h"

namespace brelinde {
namespace {

Hive* installed_hive = nullptr;
std::atomic<int> open_keys{0};

[[noreturn]] void Throw(std::string_view text, const std::string& name) {
  throw ERegistryException(Format(text, name));
}

}  // namespace

std::optional<std::string> NormaliseKeyPath(std::string_view key) {
  if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  if (key.find("\\\\") != std::string_view::npos || (!key.empty() && key.front() == '\\')) {
    return std::nullopt;
  }
  return std::string(key);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string DwordBytes(uint32_t bits) {
  std::string data(4, '\0');
  for (size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((bits >> (8 * i)) & 0xff);
  return data;
}

uint32_t DwordBits(std::string_view data) {
  uint32_t bits = 0;
  for (size_t i = 0; i < data.size() && i < 4; ++i) {
    bits |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  }
  return bits;
}

void SetHive(Hive* hive) { installed_hive = hive; }

TRegistry::TRegistry() {
  if (installed_hive) {
    hive_ = installed_hive;
  } else {
    // A connection of its own per accessor: nothing outlives the routine that made it.
    owned_ = std::make_unique<SqliteHive>(DefaultHivePath());
    hive_ = owned_.get();
  }
}

TRegistry::TRegistry(Hive& hive) : hive_(&hive) {}

TRegistry::~TRegistry() { CloseKey(); }

int TRegistry::OpenKeys() { return open_keys.load(); }

bool TRegistry::OpenKey(const std::string& key, bool can_create) {
  // A failed open leaves no key current; it never falls back to the previous key or the root.
  CloseKey();
  const std::optional<std::string> path = NormaliseKeyPath(key);
  if (!path) return false;
  std::optional<std::string> stored = can_create ? hive_->CreateKey(*path) : hive_->FindKey(*path);
  if (!stored) return false;
  current_ = std::move(stored);
  ++open_keys;
  return true;
}

void TRegistry::CloseKey() {
  if (!current_) return;
  current_.reset();
  --open_keys;
}

bool TRegistry::ValueExists(const std::string& name) {
  return current_ && hive_->GetValue(*current_, name).has_value();
}

int32_t TRegistry::ReadInteger(const std::string& name) {
  const std::optional<RegValue> value = current_ ? hive_->GetValue(*current_, name) : std::nullopt;
  // As the registry answers a 4-byte buffer: missing or too long fails before the type is seen.
  if (!value || value->data.size() > 4) Throw(msg::kRegGetDataFailed, name);
  if (value->type != REG_DWORD) Throw(msg::kRegInvalidDataType, name);
  return static_cast<int32_t>(DwordBits(value->data));
}

std::string TRegistry::ReadString(const std::string& name) {
  const std::optional<RegValue> value = current_ ? hive_->GetValue(*current_, name) : std::nullopt;
  if (!value) return std::string();
  if (value->type != REG_SZ && value->type != REG_EXPAND_SZ) {
    Throw(msg::kRegInvalidDataType, name);
  }
  const size_t nul = value->data.find('\0');
  return value->data.substr(0, nul);
}

void TRegistry::Write(const std::string& name, const RegValue& value) {
  if (!current_ || !hive_->SetValue(*current_, name, value)) Throw(msg::kRegSetDataFailed, name);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  Write(name, RegValue{REG_DWORD, DwordBytes(static_cast<uint32_t>(value))});
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  std::string data = value.substr(0, value.find('\0'));
  data.push_back('\0');
  Write(name, RegValue{REG_SZ, std::move(data)});
}

}  // namespace brelinde
