// Pictures of the listings: a memory cache of thumbnails by key (thumbnail_key.h), filled on
// the thumbnail pool (the services read the "/ord_cache" files first and fetch only what they
// do not hold). The UI thread never waits: an image not yet fetched draws blank, and the cache
// announces each arrival. A key is fetched once; failures are retried only after forgetFailures.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QTimer>

#include <memory>
#include <string>

#include "ui/market_services.h"
#include "ui/workers.h"

namespace ui {

class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    ThumbnailCache(std::shared_ptr<MarketServices> services, QObject* parent = nullptr);
    ~ThumbnailCache() override;

    // The thumbnail for a key: the cached image, else the blank one (and the key is queued for
    // fetching when it is not queued, cached or failed already). Empty keys are blank.
    QPixmap pixmap(const std::string& key);
    // Whether the key's image has arrived.
    [[nodiscard]] bool has(const std::string& key) const;
    // Number of keys handed to the workers so far (each at most once between forgetFailures).
    int requestsMade() const { return m_requests; }
    // Lets keys that failed be fetched again (after a book load).
    void forgetFailures();

    static const QPixmap& blank();

    // Worker side: fetches the picture of a key (an "output:" key through the origin the
    // ordinals index reports for that output; a token JSON through its "icon") and decodes it
    // to a square image of size pixels. A null image when nothing could be fetched or decoded.
    static QImage fetch_image(MarketServices& services, const std::string& key, int size);

signals:
    // One or more images arrived (coalesced).
    void thumbnailsArrived();

private:
    void arrived(const QString& key, const QImage& image);

    std::shared_ptr<MarketServices> m_services;
    std::shared_ptr<PostTarget> m_target;
    QHash<QString, QPixmap> m_images;
    QSet<QString> m_pending;
    QSet<QString> m_failed;
    QTimer m_coalesce;
    int m_requests = 0;
};

} // namespace ui
