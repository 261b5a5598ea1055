#include "platform/browser/PageRender.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <span>

#include "pictures/JpegDecode.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace brelinde::browser {
namespace {

int Round(double v) { return static_cast<int>(std::lround(std::clamp(v, -1e7, 1e7))); }

int Resolve(const Length& l, int container) {
  return l.unit == Length::Unit::kPercent ? Round(l.value * container / 100.0) : Round(l.value);
}

int Aligned(int start, int room, int size, int where /* 0 start, 1 middle, 2 end */) {
  if (where == 1) return start + (room - size) / 2 - ((room - size) < 0 && (room - size) % 2 ? 1 : 0);
  if (where == 2) return start + room - size;
  return start;
}

}  // namespace

PageLayout LayoutPage(const PageDocument& page, int view_width, int view_height, int natural_width,
                      int natural_height) {
  PageLayout layout;
  layout.background = page.background;
  if (!page.image || natural_width <= 0 || natural_height <= 0) return layout;
  const PageImage& image = *page.image;

  const int x0 = kViewBorder + page.margins.left, y0 = kViewBorder + page.margins.top;
  Rect content{x0, y0,
               std::max(0, view_width - 2 * kViewBorder - page.margins.left - page.margins.right),
               std::max(0, view_height - 2 * kViewBorder - page.margins.top - page.margins.bottom)};
  // A cell without cellspacing or padding sits at the content origin with its declared size.
  Rect container = content;
  if (image.in_cell) {
    container.width = page.cell_width.value_or(content.width);
    container.height = page.cell_height.value_or(content.height);
  }

  int w = 0, h = 0;
  const bool has_w = image.width.unit != Length::Unit::kNone;
  const bool has_h = image.height.unit != Length::Unit::kNone;
  if (has_w) w = Resolve(image.width, container.width);
  if (has_h) h = Resolve(image.height, container.height);
  if (has_w && !has_h) h = Round(static_cast<double>(w) * natural_height / natural_width);
  if (has_h && !has_w) w = Round(static_cast<double>(h) * natural_width / natural_height);
  if (!has_w && !has_h) {
    w = natural_width;
    h = natural_height;
  }
  if (w <= 0 || h <= 0) return layout;

  const int hwhere = image.align == HAlign::kCenter ? 1 : image.align == HAlign::kRight ? 2 : 0;
  const int vwhere = image.valign == VAlign::kMiddle ? 1 : image.valign == VAlign::kBottom ? 2 : 0;
  layout.has_picture = true;
  layout.picture = {Aligned(container.x, container.width, w, hwhere),
                    Aligned(container.y, container.height, h, vwhere), w, h};
  // The cell hides what overflows it; outside a cell the view's own area does (nothing scrolls).
  layout.clip = image.in_cell ? container
                              : Rect{kViewBorder, kViewBorder, std::max(0, view_width - 2 * kViewBorder),
                                     std::max(0, view_height - 2 * kViewBorder)};
  return layout;
}

void PaintPage(const PageLayout& layout, const ViewGeometry& geometry, const PixelView* picture, Frame& out) {
  const Rect& v = geometry.visible;
  if (out.width != v.width || out.height != v.height) out = Frame(v.width, v.height, layout.background | kOpaque);
  else std::fill(out.pixels.begin(), out.pixels.end(), layout.background | kOpaque);
  if (!layout.has_picture || !picture || picture->width <= 0 || picture->height <= 0) return;
  const Rect shown = Intersect(Intersect(layout.picture, layout.clip), v);
  if (shown.Empty()) return;
  const Rect part{shown.x - layout.picture.x, shown.y - layout.picture.y, shown.width, shown.height};
  ResampleInto(*picture, layout.picture.width, layout.picture.height, part, out, shown.x - v.x, shown.y - v.y);
}

RenderResult RunRenderJob(const RenderJob& job) {
  RenderResult result;
  result.id = job.id;
  result.geometry = job.geometry;
  const ViewGeometry& g = job.geometry;
  PageLayout layout = LayoutPage(job.page, g.width, g.height, 0, 0);
  DecodedImage decoded;
  PixelView picture;
  if (job.page.image && !g.visible.Empty()) {
    const std::string& src = job.page.image->src;
    try {
      const std::string bytes = src.empty() ? throw EInOutError(Format(msg::kFileReadError, {src, ""}))
                                            : ReadWholeFile(src);
      const auto data = std::as_bytes(std::span(bytes.data(), bytes.size()));
      const JpegSize size = ReadJpegSize(data);
      layout = LayoutPage(job.page, g.width, g.height, size.width, size.height);
      const Rect shown = Intersect(Intersect(layout.picture, layout.clip), g.visible);
      if (layout.has_picture && !shown.Empty()) {
        decoded = DecodeJpeg(data, PixelFormat::BGRX32, layout.picture.width, layout.picture.height);
        picture = {decoded.pixels.data(), decoded.width, decoded.height, decoded.stride};
      }
    } catch (const std::exception& e) {
      layout.has_picture = false;
      result.warning = Format(msg::kPictureNotShown, {src, e.what()});
    }
  }
  PaintPage(layout, g, &picture, result.frame);
  const int w = g.visible.width, h = g.visible.height;
  switch (job.transition.kind) {
    case Transition::Kind::kCut:
      result.transition = Transition::Cut(w, h);
      break;
    case Transition::Kind::kFade:
      result.transition = Transition::Fade(w, h);
      break;
    case Transition::Kind::kReveal:
      result.transition = Transition::Reveal(job.transition.pattern, w, h, job.transition.seed);
      break;
  }
  return result;
}

}  // namespace brelinde::browser
