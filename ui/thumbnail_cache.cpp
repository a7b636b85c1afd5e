#include "ui/thumbnail_cache.h"

#include <QPainter>

#include <deque>
#include <mutex>

#include "ui/thumbnail_key.h"
#include "ui/ui_style.h"

namespace ui {

// Keys waiting for a worker; at most MAX_WORKERS threads drain it. Shared with the threads so
// that it outlives the cache while they finish.
struct ThumbnailCache::Queue {
    static constexpr int MAX_WORKERS = 4;
    std::mutex mutex;
    std::deque<std::string> keys;
    int workers = 0;
};

ThumbnailCache::ThumbnailCache(std::shared_ptr<MarketServices> services, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_target(std::make_shared<PostTarget>(this)),
      m_queue(std::make_shared<Queue>())
{
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(40);
    connect(&m_coalesce, &QTimer::timeout, this, &ThumbnailCache::thumbnailsArrived);
}

ThumbnailCache::~ThumbnailCache()
{
    m_target->detach();
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    m_queue->keys.clear();
}

const QPixmap& ThumbnailCache::blank()
{
    static const QPixmap pixmap = [] {
        QPixmap p(THUMBNAIL_SIZE, THUMBNAIL_SIZE);
        p.fill(Qt::transparent);
        return p;
    }();
    return pixmap;
}

bool ThumbnailCache::has(const std::string& key) const { return m_images.contains(qtext(key)); }

QPixmap ThumbnailCache::pixmap(const std::string& key)
{
    if (key.empty()) return blank();
    const QString k = qtext(key);
    if (auto it = m_images.constFind(k); it != m_images.constEnd()) return *it;
    if (m_pending.contains(k) || m_failed.contains(k)) return blank();
    m_pending.insert(k);
    ++m_requests;

    bool start = false;
    {
        std::lock_guard<std::mutex> lock(m_queue->mutex);
        m_queue->keys.push_back(key);
        if (m_queue->workers < Queue::MAX_WORKERS) {
            ++m_queue->workers;
            start = true;
        }
    }
    if (start) {
        start_worker([queue = m_queue, services = m_services, target = m_target, cache = this] {
            for (;;) {
                std::string next;
                {
                    std::lock_guard<std::mutex> lock(queue->mutex);
                    if (queue->keys.empty() || !target->attached()) {
                        --queue->workers;
                        return;
                    }
                    next = std::move(queue->keys.front());
                    queue->keys.pop_front();
                }
                QImage image = fetch_thumbnail(*services, next);
                const QString key = QString::fromStdString(next);
                // Runs on the cache's thread; Qt drops it when the cache has been destroyed.
                target->post_call([cache, key, image] { cache->arrived(key, image); });
            }
        });
    }
    return blank();
}

void ThumbnailCache::arrived(const QString& key, const QImage& image)
{
    m_pending.remove(key);
    if (image.isNull()) {
        m_failed.insert(key);
        return;
    }
    m_images.insert(key, QPixmap::fromImage(image));
    if (!m_coalesce.isActive()) m_coalesce.start();
}

void ThumbnailCache::forgetFailures() { m_failed.clear(); }

QImage ThumbnailCache::fetch_thumbnail(MarketServices& services, const std::string& key)
{
    try {
        auto content = services.inscription_content(key);
        if (!content) return {};
        if (const auto icon = icon_redirect(key, content->content_type, content->bytes)) {
            content = services.inscription_content(*icon);
            if (!content) return {};
        }
        if (content->bytes.size() < 8) return {};
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar*>(content->bytes.data()),
                                static_cast<int>(content->bytes.size())))
            return {};
        const QImage scaled = image.scaled(THUMBNAIL_SIZE, THUMBNAIL_SIZE, Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation);
        QImage out(THUMBNAIL_SIZE, THUMBNAIL_SIZE, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        painter.drawImage((THUMBNAIL_SIZE - scaled.width()) / 2, (THUMBNAIL_SIZE - scaled.height()) / 2, scaled);
        return out;
    } catch (...) {
        return {};
    }
}

} // namespace ui
