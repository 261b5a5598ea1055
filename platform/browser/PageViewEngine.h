// The page view's behaviour without a toolkit or a clock: which page shows, which transition a
// change of page plays, and which frame shows at a given time. Rendering work is handed out as
// jobs (run on a worker by the widget, inline by tests) and comes back through Accept.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/browser/Compositor.h"
#include "platform/browser/PageReader.h"
#include "platform/browser/PageRender.h"
#include "platform/browser/ViewRandom.h"

namespace brelinde::browser {

class PageViewEngine {
 public:
  using PostJob = std::function<void(RenderJob)>;
  using Warn = std::function<void(const std::string&)>;

  // post receives every render job; warn every line about a picture that could not be shown
  // (by default they go to stderr). seed starts the view's own generator.
  PageViewEngine(PostJob post, uint64_t seed, Warn warn = {});

  // Reads the page file and starts rendering it; the transition is the Page-Exit of the page
  // being left. A transition still playing ends at once. Throws EInOutError when the page file
  // cannot be read (nothing changes then).
  void Navigate(const std::string& path);
  void Navigate(PageDocument page);

  // The view's size and visible part changed: a transition still playing ends, the shown page is
  // rendered again at the new size (its background shows meanwhile).
  void SetGeometry(const ViewGeometry& geometry);
  const ViewGeometry& Geometry() const { return geometry_; }

  // A finished job, at time now (seconds, any fixed origin). Stale results are dropped. True
  // when what shows changed (a cut, or a transition that starts now).
  bool Accept(RenderResult result, double now);

  // Renders the frame of time now when a transition plays; false once none plays (any more).
  bool Advance(double now);
  bool Animating() const { return animating_; }
  // The progress of the transition playing, 0 to 1 (1 when none plays).
  double Progress() const { return progress_; }

  // What shows now: the transition's last rendered frame, or the shown page.
  const Frame& Display() const { return animating_ ? out_ : current_; }
  // True while a navigation waits for its page to be rendered.
  bool Loading() const { return pending_navigation_ != 0; }

  // The transition a page's Page-Exit asks for; reveal 23 picks a pattern with the view's
  // generator, unknown numbers and durations that are not positive give a cut.
  TransitionChoice Choose(const ExitTransition& exit);

 private:
  void Finish();
  uint64_t Post(RenderJob::Slot slot, const PageDocument& page, const TransitionChoice& choice);

  PostJob post_;
  Warn warn_;
  ViewRandom random_;
  ViewGeometry geometry_;
  uint64_t next_id_ = 1;

  std::optional<PageDocument> shown_;   // the page that shows (or arrives)
  std::optional<PageDocument> pending_page_;
  TransitionChoice pending_choice_;
  uint64_t pending_navigation_ = 0;  // job id, 0 for none
  uint64_t pending_refresh_ = 0;

  Frame current_;   // the shown page
  Frame previous_;  // the page being left, while a transition plays
  Frame out_;       // the composed frame
  Transition transition_;
  double duration_ = 0, start_ = 0, progress_ = 1;
  bool animating_ = false;
};

}  // namespace brelinde::browser
