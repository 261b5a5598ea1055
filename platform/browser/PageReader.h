// Reads what the slide pages carry from a page file: the Page-Exit transition, the body's colour
// and margins, the cell, and the picture with its fit. Tolerant the way a browser is: attribute
// order, quoting and letter case do not matter, unknown markup is skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brelinde::browser {

// The transition a page plays when it is left for the next one.
struct ExitTransition {
  enum class Kind { kNone, kBlend, kReveal };
  Kind kind = Kind::kNone;
  double duration = 0.0;  // seconds
  int reveal = 0;         // reveal pattern number (revealTrans only)
  bool operator==(const ExitTransition&) const = default;
};

// A length from an HTML attribute: absent, pixels or percent.
struct Length {
  enum class Unit { kNone, kPixels, kPercent };
  Unit unit = Unit::kNone;
  double value = 0.0;
  bool operator==(const Length&) const = default;
  static Length Pixels(double v) { return {Unit::kPixels, v}; }
  static Length Percent(double v) { return {Unit::kPercent, v}; }
};

enum class HAlign { kLeft, kCenter, kRight };
enum class VAlign { kTop, kMiddle, kBottom };

struct Margins {
  int top = 8, left = 8, bottom = 8, right = 8;  // a browser's default body margin
  bool operator==(const Margins&) const = default;
};

struct PageImage {
  std::string src;  // a local path, made absolute against the page's folder
  Length width, height;
  HAlign align = HAlign::kLeft;   // from the enclosing centred div, cell or center element
  VAlign valign = VAlign::kTop;   // middle inside a table cell, the cell's default
  bool in_cell = false;
};

struct PageDocument {
  ExitTransition exit;
  uint32_t background = 0xFFFFFFFFu;  // white until the body says otherwise
  Margins margins;
  // The first table cell's declared size, when the page has one.
  std::optional<int> cell_width, cell_height;
  std::optional<PageImage> image;  // the first picture of the page
};

// Parses page text. base_dir (with or without a trailing slash) resolves a relative src.
PageDocument ParsePage(std::string_view html, std::string_view base_dir = {});

// Reads and parses the page file. Throws EInOutError when it cannot be read.
PageDocument ReadPage(const std::string& path);

// The transition of a Page-Exit content value such as "revealTrans(Duration=3,transition=5)";
// kind kNone for anything it does not know.
ExitTransition ParseTransitionFilter(std::string_view content);

// A colour value as HTML takes it ("#000000", "#fff", "black"); nullopt when it is none.
std::optional<uint32_t> ParseHtmlColor(std::string_view text);

}  // namespace brelinde::browser
