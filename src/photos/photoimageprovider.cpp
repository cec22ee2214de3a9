#include "photoimageprovider.h"

#include "photostripstore.h"

#include <QQmlEngine>

namespace {

class PhotoImageResponse final : public QQuickImageResponse
{
public:
    // Called once, on the main thread; the engine reads the result after `finished`.
    void finish(const std::optional<QImage> &image, const QString &error)
    {
        m_image = image.value_or(QImage());
        m_error = image ? QString() : error;
        emit finished();
    }

    QQuickTextureFactory *textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }
    QString errorString() const override { return m_error; }

private:
    QImage m_image;
    QString m_error;
};

}

PhotoImageProvider::PhotoImageProvider(PhotoStripStore &store) : m_store(&store) {}

void PhotoImageProvider::install(QQmlEngine &engine, PhotoStripStore &store)
{
    engine.addImageProvider(Photo::imageProviderName(), new PhotoImageProvider(store));
}

QQuickImageResponse *PhotoImageProvider::requestImageResponse(const QString &id, const QSize &)
{
    auto *response = new PhotoImageResponse;
    // The provider lives on the main thread, so the lambda runs there. The engine keeps the
    // response until it is finished, even when the request is cancelled.
    QMetaObject::invokeMethod(this, [this, response, id] {
        const QString kind = id.section(QLatin1Char('/'), 0, 0);
        const std::optional<Photo> photo = m_store ? m_store->photo(id.section(QLatin1Char('/'), 1)) : std::nullopt;
        if (!photo || (kind != QLatin1String("thumbnail") && kind != QLatin1String("image"))) {
            response->finish(std::nullopt, QStringLiteral("No photo ") + id);
            return;
        }
        response->finish(kind == QLatin1String("thumbnail") ? m_store->thumbnail(*photo) : m_store->image(*photo),
                         QStringLiteral("The photo ") + id + QStringLiteral(" cannot be read"));
    }, Qt::QueuedConnection);
    return response;
}
