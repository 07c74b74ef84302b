#pragma once

#include <cfenv>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zm {

// A fixed set of worker threads that run one task on several threads at once,
// the calling thread among them. The workers start with the pool, sleep on a
// condition variable while there is no work and are joined when the pool is
// destroyed. Where the system refuses a thread (std::system_error), the pool
// keeps the workers it has, down to none: the caller then works alone.
class WorkerPool {
 public:
  // Called once on every thread that takes part, with that thread's index:
  // 0 for the caller, 1.. for the workers. It must not throw.
  using Task = std::function<void(int32_t)>;

  explicit WorkerPool(int32_t workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Threads that can take part in a run: the workers and the caller.
  int32_t Threads() const { return static_cast<int32_t>(workers_.size()) + 1; }

  // Runs task(0) on the caller and task(1) .. task(threads - 1) on workers
  // (threads is held to 1..Threads()), and returns when all have returned.
  // The workers compute in the caller's floating-point environment (rounding
  // and, on x87, precision), so they get the caller's results bit for bit.
  // One thread at a time may run tasks on a pool.
  void Run(int32_t threads, const Task& task);

 private:
  void Work(int32_t index);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  const Task* task_ = nullptr;
  std::fenv_t environment_{};
  uint64_t round_ = 0;  // counts the runs; a worker wakes when it changes
  int32_t taking_part_ = 0;
  int32_t pending_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace zm
