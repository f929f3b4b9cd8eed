#include "core/window/cachewalk.h"

#include <utility>

#include "core/modfolder/cachesize.h"

namespace tunebelt {

CacheSizeWalker::CacheSizeWalker(PostToWindow post, std::function<void(const std::string&)> show)
    : post_(std::move(post)), shown_(std::make_shared<Shown>()) {
  shown_->show = std::move(show);
  thread_ = std::thread([this] { run(); });
}

CacheSizeWalker::~CacheSizeWalker() {
  shown_->show = nullptr;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    next_.reset();
  }
  wake_.notify_one();
  thread_.join();
}

void CacheSizeWalker::request(std::string modFolder, int language, char decimalSeparator) {
  const unsigned generation = ++shown_->generation;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    next_ = Request{std::move(modFolder), language, decimalSeparator, generation};
  }
  wake_.notify_one();
}

void CacheSizeWalker::cancel() {
  ++shown_->generation;
  const std::lock_guard<std::mutex> lock(mutex_);
  next_.reset();
}

void CacheSizeWalker::run() {
  for (;;) {
    Request request;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || next_.has_value(); });
      if (stopping_) return;
      request = std::move(*next_);
      next_.reset();
    }
    if (shown_->generation != request.generation) continue;  // asked again meanwhile
    std::optional<std::string> label =
        CacheSizeLabel(request.modFolder, request.language, request.decimalSeparator);
    if (!label) continue;
    post_([shown = shown_, generation = request.generation, text = std::move(*label)] {
      if (shown->show && shown->generation == generation) shown->show(text);
    });
  }
}

}  // namespace tunebelt
