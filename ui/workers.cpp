#include "ui/workers.h"

namespace ui {

void PostTarget::detach()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_receiver = nullptr;
}

bool PostTarget::attached() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_receiver != nullptr;
}

bool PostTarget::post_call(std::function<void()> fn)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_receiver) return false;
    QMetaObject::invokeMethod(m_receiver, std::move(fn), Qt::QueuedConnection);
    return true;
}

QThreadPool& worker_pool(Pool pool)
{
    // Loads, actions, the balance and the update check may all be under way at once.
    static QThreadPool* actions = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(8);
        return p;
    }();
    static QThreadPool* thumbnails = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(4);
        return p;
    }();
    return pool == Pool::Actions ? *actions : *thumbnails;
}

void run_on_pool(Pool pool, std::function<void()> job)
{
    worker_pool(pool).start([job = std::move(job)] {
        try {
            job();
        } catch (...) {
            // A worker never takes the process down; its result simply does not arrive.
        }
    });
}

void drain_workers()
{
    for (Pool pool : {Pool::Thumbnails, Pool::Actions}) {
        worker_pool(pool).clear();
        worker_pool(pool).waitForDone();
    }
}

namespace {

struct ProgressSlot {
    std::mutex mutex;
    std::shared_ptr<PostTarget> target;
    std::function<void(std::string)> show;
};

ProgressSlot& progress_slot()
{
    static ProgressSlot slot;
    return slot;
}

} // namespace

std::shared_ptr<PostTarget> progress_target()
{
    std::lock_guard<std::mutex> lock(progress_slot().mutex);
    return progress_slot().target;
}

void set_progress_target(std::shared_ptr<PostTarget> target, std::function<void(std::string)> show)
{
    std::lock_guard<std::mutex> lock(progress_slot().mutex);
    progress_slot().target = std::move(target);
    progress_slot().show = std::move(show);
}

void post_progress(const std::string& text)
{
    std::shared_ptr<PostTarget> target;
    std::function<void(std::string)> show;
    {
        std::lock_guard<std::mutex> lock(progress_slot().mutex);
        target = progress_slot().target;
        show = progress_slot().show;
    }
    if (target && show && !text.empty()) target->post_call([show, text] { show(text); });
}

} // namespace ui
