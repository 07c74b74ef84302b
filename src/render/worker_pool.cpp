#include "render/worker_pool.h"

#include <algorithm>
#include <system_error>

namespace zm {

WorkerPool::WorkerPool(int32_t workers) {
  workers_.reserve(static_cast<size_t>(std::max(workers, 0)));
  for (int32_t i = 1; i <= workers; ++i) {
    try {
      workers_.emplace_back(&WorkerPool::Work, this, i);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: work with those there are
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::Run(int32_t threads, const Task& task) {
  threads = std::clamp(threads, 1, Threads());
  if (threads == 1) {
    task(0);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    task_ = &task;
    std::fegetenv(&environment_);
    taking_part_ = threads;
    pending_ = threads - 1;
    ++round_;
  }
  wake_.notify_all();
  task(0);
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [this] { return pending_ == 0; });
  task_ = nullptr;
}

void WorkerPool::Work(int32_t index) {
  uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
    if (stopping_) return;
    seen = round_;
    if (index >= taking_part_) continue;  // this run needs fewer threads
    const Task& task = *task_;
    const std::fenv_t environment = environment_;
    lock.unlock();
    std::fesetenv(&environment);
    task(index);
    lock.lock();
    if (--pending_ == 0) finished_.notify_one();
  }
}

}  // namespace zm
