// Lays a page out in the view and paints it into a frame: the work of one page, done off the
// user-interface thread (the picture is read, decoded and scaled here).
#pragma once

#include <cstdint>
#include <string>

#include "platform/browser/Compositor.h"
#include "platform/browser/Frame.h"
#include "platform/browser/PageReader.h"
#include "platform/browser/Resample.h"

namespace brelinde::browser {

// The border the replaced browser control drew round its page: the page's content starts this far
// inside the view. We paint it in the page's background colour.
inline constexpr int kViewBorder = 2;

struct ViewGeometry {
  int width = 0, height = 0;  // the whole view
  // The part of the view that can show (view coordinates): frames cover exactly this. A view
  // placed partly outside its window paints only what lies inside.
  Rect visible;
  bool operator==(const ViewGeometry&) const = default;
};

struct PageLayout {
  uint32_t background = kOpaque;
  bool has_picture = false;
  Rect picture;  // the scaled picture, view coordinates (it may reach beyond clip)
  Rect clip;     // where the picture may show: its cell, which hides overflow
};

// Where a picture of natural_width x natural_height goes in a view of view_width x view_height.
PageLayout LayoutPage(const PageDocument& page, int view_width, int view_height, int natural_width,
                      int natural_height);

// The page's background, and the picture scaled to layout.picture's size where the layout puts it
// (only its visible part is scaled); out covers geometry.visible.
void PaintPage(const PageLayout& layout, const ViewGeometry& geometry, const PixelView* picture, Frame& out);

// What the engine chose for a change of page; the transition itself is prepared with the frame.
struct TransitionChoice {
  Transition::Kind kind = Transition::Kind::kCut;
  int pattern = 0;
  uint64_t seed = 0;
  double duration = 0;
};

struct RenderJob {
  enum class Slot { kNavigation, kRefresh };
  uint64_t id = 0;
  Slot slot = Slot::kNavigation;
  PageDocument page;
  ViewGeometry geometry;
  TransitionChoice transition;
};

struct RenderResult {
  uint64_t id = 0;
  ViewGeometry geometry;
  Frame frame;
  Transition transition;
  std::string warning;  // one line when the picture could not be shown
};

// The page painted at the job's geometry, its picture read from its file now, and the transition
// prepared for that frame size. A picture that cannot be read or decoded is left out (the
// background shows) and named in warning.
RenderResult RunRenderJob(const RenderJob& job);

}  // namespace brelinde::browser
