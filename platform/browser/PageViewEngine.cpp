#include "platform/browser/PageViewEngine.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace brelinde::browser {

PageViewEngine::PageViewEngine(PostJob post, uint64_t seed, Warn warn)
    : post_(std::move(post)), warn_(std::move(warn)), random_(seed) {
  if (!warn_) warn_ = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
}

TransitionChoice PageViewEngine::Choose(const ExitTransition& exit) {
  TransitionChoice choice;
  if (exit.kind == ExitTransition::Kind::kNone || !std::isfinite(exit.duration) || exit.duration <= 0)
    return choice;
  if (exit.kind == ExitTransition::Kind::kReveal) {
    if (exit.reveal == kPatternCount) {
      choice.pattern = static_cast<int>(random_.Below(kPatternCount));
    } else if (exit.reveal >= 0 && exit.reveal < kPatternCount) {
      choice.pattern = exit.reveal;
    } else {
      return choice;  // any other number: a plain cut
    }
    choice.kind = Transition::Kind::kReveal;
  } else {
    choice.kind = Transition::Kind::kFade;
  }
  choice.seed = random_.Next();
  choice.duration = exit.duration;
  return choice;
}

void PageViewEngine::Navigate(const std::string& path) { Navigate(ReadPage(path)); }

void PageViewEngine::Navigate(PageDocument page) {
  Finish();
  // The page being left decides; a navigation still loading never showed, so it has no say.
  pending_choice_ = shown_ ? Choose(shown_->exit) : TransitionChoice{};
  pending_page_ = std::move(page);
  pending_navigation_ = Post(RenderJob::Slot::kNavigation, *pending_page_, pending_choice_);
}

void PageViewEngine::SetGeometry(const ViewGeometry& geometry) {
  if (geometry == geometry_) return;
  Finish();
  geometry_ = geometry;
  const uint32_t background = shown_ ? shown_->background : kOpaque;
  current_ = Frame(geometry.visible.width, geometry.visible.height, background | kOpaque);
  out_ = Frame();
  previous_ = Frame();
  if (shown_) pending_refresh_ = Post(RenderJob::Slot::kRefresh, *shown_, TransitionChoice{});
  if (pending_page_) pending_navigation_ = Post(RenderJob::Slot::kNavigation, *pending_page_, pending_choice_);
}

uint64_t PageViewEngine::Post(RenderJob::Slot slot, const PageDocument& page, const TransitionChoice& choice) {
  RenderJob job;
  job.id = next_id_++;
  job.slot = slot;
  job.page = page;
  job.geometry = geometry_;
  job.transition = choice;
  post_(std::move(job));
  return next_id_ - 1;
}

void PageViewEngine::Finish() {
  if (!animating_) return;
  animating_ = false;
  progress_ = 1;
  previous_ = Frame();
}

bool PageViewEngine::Accept(RenderResult result, double now) {
  if (result.geometry != geometry_) return false;
  const bool navigation = result.id == pending_navigation_ && result.id != 0;
  const bool refresh = result.id == pending_refresh_ && result.id != 0;
  if (!navigation && !refresh) return false;
  if (!result.warning.empty()) warn_(result.warning);
  if (refresh) {
    pending_refresh_ = 0;
    current_ = std::move(result.frame);
    return true;
  }
  pending_navigation_ = 0;
  Finish();
  const bool had_page = shown_.has_value();
  shown_ = std::move(pending_page_);
  pending_page_.reset();
  // A refresh of the page being left no longer matters.
  pending_refresh_ = 0;
  previous_ = std::move(current_);
  current_ = std::move(result.frame);
  transition_ = std::move(result.transition);
  if (!had_page || transition_.kind() == Transition::Kind::kCut || previous_.Empty() ||
      !previous_.SameSize(current_)) {
    previous_ = Frame();
    return true;
  }
  if (!out_.SameSize(current_)) out_ = Frame(current_.width, current_.height);
  duration_ = pending_choice_.duration;
  start_ = now;
  progress_ = 0;
  animating_ = true;
  transition_.Render(previous_, current_, out_, 0.0);
  return true;
}

bool PageViewEngine::Advance(double now) {
  if (!animating_) return false;
  const double p = duration_ > 0 ? (now - start_) / duration_ : 1.0;
  if (p >= 1) {
    Finish();
    return false;
  }
  progress_ = p < 0 ? 0 : p;
  transition_.Render(previous_, current_, out_, progress_);
  return true;
}

}  // namespace brelinde::browser
