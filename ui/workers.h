// The desktop program's worker threads. Slow work (the network, the wallet lock) runs on two
// thread pools: one for the actions and loads, one for thumbnails. A worker hands its result
// back through a PostTarget, which the receiver detaches when it goes, so a late result is
// dropped instead of reaching a destroyed object. main() drains both pools before the library
// layers shut down, so no worker is still inside them then.
#pragma once

#include <QObject>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <mutex>

namespace ui {

// A receiver that workers may post to after it has gone: its owner detaches it on
// destruction, and later posts are dropped. Safe from any thread.
class PostTarget {
public:
    explicit PostTarget(QObject* receiver) : m_receiver(receiver) {}

    // The receiver's destructor calls this first; nothing reaches it afterwards.
    void detach();
    [[nodiscard]] bool attached() const;
    // Queues fn to run on the receiver's thread; false when detached.
    bool post_call(std::function<void()> fn);

private:
    mutable std::mutex m_mutex;
    QObject* m_receiver;
};

enum class Pool { Actions, Thumbnails };
QThreadPool& worker_pool(Pool pool = Pool::Actions);

// Runs job on a pool thread; a stray exception is swallowed there (job bodies turn their own
// into result texts).
void run_on_pool(Pool pool, std::function<void()> job);

// Runs job on the actions pool and hands its result to done on the target's thread; nothing
// runs when the target detached meanwhile.
template <class Result>
void run_worker(const std::shared_ptr<PostTarget>& target, std::function<Result()> job,
                std::function<void(Result)> done)
{
    run_on_pool(Pool::Actions, [target, job = std::move(job), done = std::move(done)]() mutable {
        auto result = std::make_shared<Result>(job());
        target->post_call([result, done = std::move(done)] { done(std::move(*result)); });
    });
}

// Drops the jobs not yet started and waits for the running ones, in both pools.
void drain_workers();

// Where the library layers' progress sentences go (the main window's controller); null while
// none. Safe from any thread.
std::shared_ptr<PostTarget> progress_target();
void set_progress_target(std::shared_ptr<PostTarget> target, std::function<void(std::string)> show);
// Hands a progress sentence to the target, if any.
void post_progress(const std::string& text);

} // namespace ui
