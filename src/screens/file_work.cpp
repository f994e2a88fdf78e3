#include "screens/file_work.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace bardrill::screens {

// What the screens' thread and the worker share; the worker keeps it alive after FileWork is gone.
struct FileWork::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::function<void()>> queue;
  bool stopping = false;
  // Answers go to this object of the screens' thread, posted under the mutex, so that none is posted to
  // it once FileWork has let it go.
  QObject* relay = nullptr;
};

FileWork::FileWork() : shared_(std::make_shared<Shared>()) {
  shared_->relay = new QObject;
  std::thread([shared = shared_] {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(shared->mutex);
        shared->wake.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
        if (shared->stopping) return;
        task = std::move(shared->queue.front());
        shared->queue.pop_front();
      }
      task();
    }
  }).detach();
}

FileWork::~FileWork() {
  QObject* relay;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->queue.clear();
    relay = shared_->relay;
    shared_->relay = nullptr;
  }
  shared_->wake.notify_all();
  // Answers already posted go with it.
  delete relay;
}

void FileWork::Run(Job job, Done done) {
  ++pending_;
  auto answer = [this, done = std::move(done)](std::exception_ptr failure) {
    --pending_;
    done(failure);
  };
  std::lock_guard lock(shared_->mutex);
  shared_->queue.push_back([shared = shared_, job = std::move(job), answer = std::move(answer)] {
    std::exception_ptr failure;
    try {
      job();
    } catch (...) {
      failure = std::current_exception();
    }
    Post(*shared, [answer, failure] { answer(failure); });
  });
  shared_->wake.notify_one();
}

FileWork::Tell FileWork::teller() const {
  return [shared = shared_](std::function<void()> tell) { Post(*shared, std::move(tell)); };
}

void FileWork::Post(Shared& shared, std::function<void()> tell) {
  std::lock_guard lock(shared.mutex);
  if (shared.relay) QMetaObject::invokeMethod(shared.relay, std::move(tell), Qt::QueuedConnection);
}

}  // namespace bardrill::screens
