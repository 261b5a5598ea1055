// One background thread that runs render jobs in order, so that reading, decoding and scaling a
// picture never holds up input or a running animation.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/browser/PageRender.h"

namespace brelinde::browser {

class RenderWorker {
 public:
  // done runs on the worker thread with each finished job.
  explicit RenderWorker(std::function<void(RenderResult)> done);
  // Waits for the job under way; jobs still queued are dropped.
  ~RenderWorker();
  RenderWorker(const RenderWorker&) = delete;
  RenderWorker& operator=(const RenderWorker&) = delete;

  // Queues job; a queued job of the same slot is dropped, as its result would be stale.
  void Post(RenderJob job);

 private:
  void Run();

  std::function<void(RenderResult)> done_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<RenderJob> queue_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace brelinde::browser
