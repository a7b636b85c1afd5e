#include "ui/thumbnail_cache.h"

#include <QPainter>

#include "ui/thumbnail_key.h"
#include "ui/ui_style.h"

namespace ui {

ThumbnailCache::ThumbnailCache(std::shared_ptr<MarketServices> services, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_target(std::make_shared<PostTarget>(this))
{
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(40);
    connect(&m_coalesce, &QTimer::timeout, this, &ThumbnailCache::thumbnailsArrived);
}

ThumbnailCache::~ThumbnailCache() { m_target->detach(); }

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
    run_on_pool(Pool::Thumbnails, [services = m_services, target = m_target, cache = this, key, k] {
        // A cache that has gone fetches nothing more.
        if (!target->attached()) return;
        QImage image = fetch_image(*services, key, THUMBNAIL_SIZE);
        target->post_call([cache, k, image] { cache->arrived(k, image); });
    });
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

QImage ThumbnailCache::fetch_image(MarketServices& services, const std::string& key, int size)
{
    try {
        const std::string& inscription = key;
        auto content = services.inscription_content(inscription);
        if (!content) return {};
        if (const auto icon = icon_redirect(inscription, content->content_type, content->bytes)) {
            content = services.inscription_content(*icon);
            if (!content) return {};
        }
        if (content->bytes.size() < 8) return {};
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar*>(content->bytes.data()),
                                static_cast<int>(content->bytes.size())))
            return {};
        const QImage scaled = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
        return out;
    } catch (...) {
        return {};
    }
}

} // namespace ui
