#include "platform/browser/PageReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/Files.h"

namespace brelinde::browser {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string ToLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The text of rest up to the first sep (all of it when there is none); rest moves past the sep.
std::string_view NextItem(std::string_view& rest, char sep) {
  const size_t at = rest.find(sep);
  const std::string_view item = rest.substr(0, at);
  rest = at == std::string_view::npos ? std::string_view{} : rest.substr(at + 1);
  return item;
}

// &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric references; anything else stays as written,
// so a path with a bare "&" or "#" passes unchanged.
std::string DecodeEntities(std::string_view s) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
      {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    const std::string_view name = s.substr(i + 1, semi - i - 1);
    bool done = false;
    if (name.size() > 1 && name[0] == '#') {
      unsigned value = 0;
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
      if (ec == std::errc() && p == digits.data() + digits.size() && value > 0 && value < 256) {
        out += static_cast<char>(value);  // 8-bit text: only single-byte characters
        done = true;
      }
    } else {
      for (const auto& [n, c] : kNamed) {
        if (EqualsNoCase(name, n)) {
          out += c;
          done = true;
          break;
        }
      }
    }
    if (done) {
      i = semi;
    } else {
      out += s[i];
    }
  }
  return out;
}

struct Tag {
  std::string name;  // lower case, without the slash
  bool closing = false;
  std::vector<std::pair<std::string, std::string>> attributes;  // names lower case

  const std::string* Attr(std::string_view n) const {
    for (const auto& [k, v] : attributes)
      if (k == n) return &v;
    return nullptr;
  }
};

// Splits markup into tags; text between them and comments are skipped.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : s_(text) {}

  bool Next(Tag& tag) {
    for (;;) {
      const size_t lt = s_.find('<', pos_);
      if (lt == std::string_view::npos) return false;
      pos_ = lt + 1;
      if (s_.substr(lt, 4) == "<!--") {
        const size_t end = s_.find("-->", lt + 4);
        pos_ = end == std::string_view::npos ? s_.size() : end + 3;
        continue;
      }
      if (pos_ < s_.size() && (s_[pos_] == '!' || s_[pos_] == '?')) {
        const size_t end = s_.find('>', pos_);
        pos_ = end == std::string_view::npos ? s_.size() : end + 1;
        continue;
      }
      tag = Tag{};
      if (pos_ < s_.size() && s_[pos_] == '/') {
        tag.closing = true;
        ++pos_;
      }
      const size_t name_start = pos_;
      while (pos_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      if (pos_ == name_start) continue;  // a lone "<" is text
      tag.name = ToLower(s_.substr(name_start, pos_ - name_start));
      ReadAttributes(tag);
      return true;
    }
  }

 private:
  void SkipSpace() {
    while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
  }

  void ReadAttributes(Tag& tag) {
    for (;;) {
      SkipSpace();
      if (pos_ >= s_.size()) return;
      if (s_[pos_] == '>') {
        ++pos_;
        return;
      }
      if (s_[pos_] == '/') {
        ++pos_;
        continue;
      }
      const size_t name_start = pos_;
      while (pos_ < s_.size() && !IsSpace(s_[pos_]) && s_[pos_] != '=' && s_[pos_] != '>' &&
             s_[pos_] != '/')
        ++pos_;
      if (pos_ == name_start) {  // a stray "=": skip it
        ++pos_;
        continue;
      }
      std::string name = ToLower(s_.substr(name_start, pos_ - name_start));
      SkipSpace();
      std::string value;
      if (pos_ < s_.size() && s_[pos_] == '=') {
        ++pos_;
        SkipSpace();
        if (pos_ < s_.size() && (s_[pos_] == '"' || s_[pos_] == '\'')) {
          const char quote = s_[pos_++];
          const size_t end = s_.find(quote, pos_);
          const size_t stop = end == std::string_view::npos ? s_.size() : end;
          value = DecodeEntities(s_.substr(pos_, stop - pos_));
          pos_ = end == std::string_view::npos ? s_.size() : end + 1;
        } else {
          const size_t start = pos_;
          while (pos_ < s_.size() && !IsSpace(s_[pos_]) && s_[pos_] != '>') ++pos_;
          value = DecodeEntities(s_.substr(start, pos_ - start));
        }
      }
      tag.attributes.emplace_back(std::move(name), std::move(value));
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
};

std::optional<double> ParseNumber(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p == s.data() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "100%", "300", "300px"; a browser reads the leading number and ignores what follows.
Length ParseLength(std::string_view s) {
  s = Trim(s);
  double v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p == s.data() || !std::isfinite(v) || v < 0) return {};
  const std::string_view rest = Trim(std::string_view(p, static_cast<size_t>(s.data() + s.size() - p)));
  if (!rest.empty() && rest.front() == '%') return Length::Percent(v);
  return Length::Pixels(v);
}

std::optional<int> ParsePixels(std::string_view s) {
  const Length l = ParseLength(s);
  if (l.unit != Length::Unit::kPixels) return std::nullopt;
  return static_cast<int>(std::min(l.value, 1e6));
}

// The declarations of a style attribute, names lower case.
std::vector<std::pair<std::string, std::string>> ParseStyle(std::string_view style) {
  std::vector<std::pair<std::string, std::string>> out;
  while (!style.empty()) {
    const std::string_view decl = NextItem(style, ';');
    const size_t colon = decl.find(':');
    if (colon == std::string_view::npos) continue;
    out.emplace_back(ToLower(Trim(decl.substr(0, colon))), std::string(Trim(decl.substr(colon + 1))));
  }
  return out;
}

HAlign ParseHAlign(std::string_view s, HAlign fallback) {
  s = Trim(s);
  if (EqualsNoCase(s, "center") || EqualsNoCase(s, "middle")) return HAlign::kCenter;
  if (EqualsNoCase(s, "right")) return HAlign::kRight;
  if (EqualsNoCase(s, "left")) return HAlign::kLeft;
  return fallback;
}

VAlign ParseVAlign(std::string_view s, VAlign fallback) {
  s = Trim(s);
  if (EqualsNoCase(s, "top")) return VAlign::kTop;
  if (EqualsNoCase(s, "bottom")) return VAlign::kBottom;
  if (EqualsNoCase(s, "middle") || EqualsNoCase(s, "center")) return VAlign::kMiddle;
  return fallback;
}

void ApplyBodyStyle(const std::string& style, PageDocument& doc) {
  for (const auto& [name, value] : ParseStyle(style)) {
    if (name == "background-color" || name == "background") {
      if (auto c = ParseHtmlColor(value)) doc.background = *c;
    } else if (name == "margin") {
      std::vector<int> v;
      std::string_view rest = value;
      while (!(rest = Trim(rest)).empty()) {
        size_t end = 0;
        while (end < rest.size() && !IsSpace(rest[end])) ++end;
        if (auto px = ParsePixels(rest.substr(0, end))) v.push_back(*px);
        rest.remove_prefix(end);
      }
      if (v.size() == 1) v = {v[0], v[0], v[0], v[0]};
      if (v.size() == 2) v = {v[0], v[1], v[0], v[1]};
      if (v.size() == 3) v = {v[0], v[1], v[2], v[1]};
      if (v.size() == 4) doc.margins = {v[0], v[3], v[2], v[1]};
    } else if (name == "margin-top" || name == "margin-left" || name == "margin-bottom" ||
               name == "margin-right") {
      const auto px = ParsePixels(value);
      if (!px) continue;
      if (name == "margin-top") doc.margins.top = *px;
      if (name == "margin-left") doc.margins.left = *px;
      if (name == "margin-bottom") doc.margins.bottom = *px;
      if (name == "margin-right") doc.margins.right = *px;
    }
  }
}

void ApplyBody(const Tag& tag, PageDocument& doc) {
  if (const auto* c = tag.Attr("bgcolor"))
    if (auto colour = ParseHtmlColor(*c)) doc.background = *colour;
  const std::pair<const char*, int Margins::*> attrs[] = {{"topmargin", &Margins::top},
                                                          {"leftmargin", &Margins::left},
                                                          {"bottommargin", &Margins::bottom},
                                                          {"rightmargin", &Margins::right}};
  for (const auto& [name, field] : attrs)
    if (const auto* v = tag.Attr(name))
      if (auto px = ParsePixels(*v)) doc.margins.*field = *px;
  if (const auto* v = tag.Attr("marginwidth"))
    if (auto px = ParsePixels(*v)) doc.margins.left = doc.margins.right = *px;
  if (const auto* v = tag.Attr("marginheight"))
    if (auto px = ParsePixels(*v)) doc.margins.top = doc.margins.bottom = *px;
  if (const auto* s = tag.Attr("style")) ApplyBodyStyle(*s, doc);
}

std::string ResolveSource(std::string_view src, std::string_view base_dir) {
  std::string path(Trim(src));
  if (path.size() >= 7 && EqualsNoCase(std::string_view(path).substr(0, 7), "file://")) {
    // A file URL: the path after the host, with its %XX escapes undone.
    std::string_view rest = std::string_view(path).substr(7);
    const size_t slash = rest.find('/');
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    std::string decoded;
    for (size_t i = 0; i < rest.size(); ++i) {
      unsigned v = 0;
      if (rest[i] == '%' && i + 2 < rest.size() &&
          std::from_chars(rest.data() + i + 1, rest.data() + i + 3, v, 16).ptr == rest.data() + i + 3) {
        decoded += static_cast<char>(v);
        i += 2;
      } else {
        decoded += rest[i];
      }
    }
    return decoded;
  }
  if (path.empty() || path.front() == '/' || base_dir.empty()) return path;
  std::string full(base_dir);
  if (full.back() != '/') full += '/';
  return full + path;
}

// The container elements whose alignment the picture inherits.
struct OpenBlock {
  std::string name;
  std::optional<HAlign> align;
};

std::optional<HAlign> BlockAlign(const Tag& tag) {
  if (tag.name == "center") return HAlign::kCenter;
  std::optional<HAlign> align;
  if (const auto* a = tag.Attr("align")) align = ParseHAlign(*a, HAlign::kLeft);
  if (const auto* s = tag.Attr("style"))
    for (const auto& [name, value] : ParseStyle(*s))
      if (name == "text-align") align = ParseHAlign(value, align.value_or(HAlign::kLeft));
  return align;
}

}  // namespace

std::optional<uint32_t> ParseHtmlColor(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, uint32_t>, 17> kNames = {{
      {"black", 0x000000}, {"white", 0xFFFFFF}, {"red", 0xFF0000}, {"green", 0x008000},
      {"blue", 0x0000FF}, {"yellow", 0xFFFF00}, {"gray", 0x808080}, {"grey", 0x808080},
      {"silver", 0xC0C0C0}, {"maroon", 0x800000}, {"navy", 0x000080}, {"purple", 0x800080},
      {"teal", 0x008080}, {"olive", 0x808000}, {"lime", 0x00FF00}, {"aqua", 0x00FFFF},
      {"fuchsia", 0xFF00FF},
  }};
  std::string_view s = Trim(text);
  for (const auto& [name, rgb] : kNames)
    if (EqualsNoCase(s, name)) return 0xFF000000u | rgb;
  if (!s.empty() && s.front() == '#') s.remove_prefix(1);
  if (s.size() != 6 && s.size() != 3) return std::nullopt;
  unsigned v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  if (s.size() == 3) {
    const unsigned r = (v >> 8) & 0xF, g = (v >> 4) & 0xF, b = v & 0xF;
    v = (r * 17) << 16 | (g * 17) << 8 | (b * 17);
  }
  return 0xFF000000u | v;
}

ExitTransition ParseTransitionFilter(std::string_view content) {
  content = Trim(content);
  const size_t open = content.find('(');
  if (open == std::string_view::npos) return {};
  const std::string_view name = Trim(content.substr(0, open));
  ExitTransition t;
  if (EqualsNoCase(name, "blendTrans")) {
    t.kind = ExitTransition::Kind::kBlend;
  } else if (EqualsNoCase(name, "revealTrans")) {
    t.kind = ExitTransition::Kind::kReveal;
  } else {
    return {};
  }
  t.duration = 1.0;  // the filters' own default
  std::string_view args = content.substr(open + 1);
  const size_t close = args.find(')');
  if (close != std::string_view::npos) args = args.substr(0, close);
  while (!args.empty()) {
    const std::string_view arg = NextItem(args, ',');
    const size_t eq = arg.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(arg.substr(0, eq));
    std::string_view value = Trim(arg.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = Trim(value.substr(1, value.size() - 2));
    if (EqualsNoCase(key, "duration")) {
      if (auto d = ParseNumber(value)) t.duration = *d;
    } else if (EqualsNoCase(key, "transition") && t.kind == ExitTransition::Kind::kReveal) {
      if (auto n = ParseNumber(value)) t.reveal = static_cast<int>(std::clamp(*n, -1e9, 1e9));
    }
  }
  return t;
}

PageDocument ParsePage(std::string_view html, std::string_view base_dir) {
  PageDocument doc;
  Tokenizer tokens(html);
  Tag tag;
  std::vector<OpenBlock> blocks;
  bool in_cell = false;
  VAlign cell_valign = VAlign::kMiddle;
  bool seen_cell = false;
  while (tokens.Next(tag)) {
    if (tag.closing) {
      // Close the innermost open block of that name, and what was left open inside it.
      for (size_t i = blocks.size(); i-- > 0;) {
        if (blocks[i].name == tag.name) {
          blocks.resize(i);
          break;
        }
      }
      if (tag.name == "td" || tag.name == "th" || tag.name == "table") in_cell = false;
      continue;
    }
    if (tag.name == "meta") {
      const auto* equiv = tag.Attr("http-equiv");
      const auto* content = tag.Attr("content");
      if (equiv && content && EqualsNoCase(Trim(*equiv), "page-exit"))
        doc.exit = ParseTransitionFilter(*content);
    } else if (tag.name == "body") {
      ApplyBody(tag, doc);
    } else if (tag.name == "td" || tag.name == "th") {
      in_cell = true;
      cell_valign = VAlign::kMiddle;
      if (const auto* v = tag.Attr("valign")) cell_valign = ParseVAlign(*v, VAlign::kMiddle);
      if (!seen_cell) {
        seen_cell = true;
        if (const auto* w = tag.Attr("width")) doc.cell_width = ParsePixels(*w);
        if (const auto* h = tag.Attr("height")) doc.cell_height = ParsePixels(*h);
      }
      blocks.push_back({tag.name, BlockAlign(tag)});
    } else if (tag.name == "div" || tag.name == "center" || tag.name == "p") {
      blocks.push_back({tag.name, BlockAlign(tag)});
    } else if (tag.name == "img" && !doc.image) {
      PageImage image;
      if (const auto* src = tag.Attr("src")) image.src = ResolveSource(*src, base_dir);
      if (const auto* w = tag.Attr("width")) image.width = ParseLength(*w);
      if (const auto* h = tag.Attr("height")) image.height = ParseLength(*h);
      for (size_t i = blocks.size(); i-- > 0;) {
        if (blocks[i].align) {
          image.align = *blocks[i].align;
          break;
        }
      }
      image.in_cell = in_cell;
      image.valign = in_cell ? cell_valign : VAlign::kTop;
      doc.image = std::move(image);
    }
  }
  return doc;
}

PageDocument ReadPage(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  const size_t slash = path.rfind('/');
  const std::string_view dir =
      slash == std::string::npos ? std::string_view{} : std::string_view(path).substr(0, slash + 1);
  return ParsePage(text, dir);
}

}  // namespace brelinde::browser
