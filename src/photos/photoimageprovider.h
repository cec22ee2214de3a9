#pragma once

#include <QPointer>
#include <QQuickAsyncImageProvider>

class PhotoStripStore;
class QQmlEngine;

// Serves the strip's images to QML by photo id (see Photo::thumbnailUrl and Photo::imageUrl).
// The engine asks from its loader thread; the answer is looked up in the store on the main
// thread, where the store lives, and handed back without blocking either thread.
class PhotoImageProvider final : public QQuickAsyncImageProvider
{
public:
    explicit PhotoImageProvider(PhotoStripStore &store);

    // Adds a provider for `store` to `engine`, which owns it from then on.
    static void install(QQmlEngine &engine, PhotoStripStore &store);

    // `id` is "thumbnail/<photo id>" or "image/<photo id>". Images come at their cached size.
    QQuickImageResponse *requestImageResponse(const QString &id, const QSize &requestedSize) override;

private:
    QPointer<PhotoStripStore> m_store; // read on the main thread only
};
