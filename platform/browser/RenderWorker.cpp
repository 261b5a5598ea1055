#include "platform/browser/RenderWorker.h"

#include <algorithm>
#include <utility>

namespace brelinde::browser {

RenderWorker::RenderWorker(std::function<void(RenderResult)> done)
    : done_(std::move(done)), thread_([this] { Run(); }) {}

RenderWorker::~RenderWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

void RenderWorker::Post(RenderJob job) {
  {
    std::lock_guard lock(mutex_);
    std::erase_if(queue_, [&](const RenderJob& queued) { return queued.slot == job.slot; });
    queue_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void RenderWorker::Run() {
  for (;;) {
    RenderJob job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    RenderResult result = RunRenderJob(job);
    done_(std::move(result));
  }
}

}  // namespace brelinde::browser
