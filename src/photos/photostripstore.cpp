#include "photostripstore.h"

#include "photoimage.h"
#include "preferences.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

namespace {

constexpr qsizetype fullImageCacheBytes = 256 * 1024 * 1024;
constexpr qsizetype thumbnailCacheBytes = 64 * 1024 * 1024;

QString failureMessage(int failures)
{
    return QString::number(failures) + QStringLiteral(" photo")
            + (failures == 1 ? QString() : QStringLiteral("s")) + QStringLiteral(" couldn't be added.");
}

// Empty on success, otherwise the reason.
QString writeAtomically(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return {};
    return file.errorString();
}

void deleteFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path); // a file that is already gone is fine
}

}

QString PhotoStripStore::defaultsKey()
{
    return QStringLiteral("dayloom.photostrip");
}

QString PhotoStripStore::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("PhotoStrip"));
}

PhotoStripStore::PhotoStripStore(Preferences &preferences, const QString &folder, QObject *parent)
    : QObject(parent),
      m_preferences(preferences),
      m_folder(folder),
      m_cache(fullImageCacheBytes),
      m_thumbCache(thumbnailCacheBytes)
{
    QDir().mkpath(m_folder); // a failure shows later as photos that cannot be written or read
    load();
}

void PhotoStripStore::load()
{
    const QVariant stored = m_preferences.object(defaultsKey());
    if (!stored.isValid())
        return;
    const std::optional<QByteArray> bytes = m_preferences.bytes(defaultsKey());
    const std::optional<QList<Photo>> photos = bytes ? PhotoList::decode(*bytes) : std::nullopt;
    if (!photos) {
        keepUnreadableListAside(bytes.value_or(stored.toByteArray()));
        return;
    }
    // Entries whose file is gone are dropped; the next save writes the shorter list.
    for (const Photo &photo : *photos) {
        if (QFile::exists(filePath(photo)))
            m_photos.append(photo);
    }
}

// The strip starts empty, and its next save would replace the stored list: a copy next to the
// folder keeps the user's data for recovery. Without that copy, nothing is saved this run.
void PhotoStripStore::keepUnreadableListAside(const QByteArray &stored)
{
    const QString base = QDir::cleanPath(m_folder) + QStringLiteral("-unreadable");
    QString path = base + QStringLiteral(".json");
    for (int n = 2; QFile::exists(path); ++n)
        path = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".json");
    const QString error = writeAtomically(path, stored);
    if (error.isEmpty()) {
        qWarning("Dayloom: the stored photo list cannot be read; it was kept in %s", qUtf8Printable(path));
        return;
    }
    qWarning("Dayloom: the stored photo list cannot be read nor kept in %s (%s); the photo list "
             "will not be saved until the next start",
             qUtf8Printable(path), qUtf8Printable(error));
    m_maySave = false;
}

std::optional<Photo> PhotoStripStore::photo(const QString &id) const
{
    for (const Photo &photo : m_photos) {
        if (photo.id == id)
            return photo;
    }
    return std::nullopt;
}

QString PhotoStripStore::filePath(const Photo &photo) const
{
    if (!Photo::isStoredFileName(photo.fileName))
        return {};
    return QDir(m_folder).filePath(photo.fileName);
}

bool PhotoStripStore::writeFile(const Photo &photo, const QByteArray &jpeg) const
{
    const QString error = writeAtomically(filePath(photo), jpeg);
    if (!error.isEmpty())
        qWarning("Dayloom: cannot write the photo %s: %s", qUtf8Printable(photo.fileName), qUtf8Printable(error));
    return error.isEmpty();
}

void PhotoStripStore::importPhotos(PhotoPicker *picker)
{
    if (picker)
        importPhotos(picker->items()); // runs on by itself; its task is not awaited
}

QCoro::Task<> PhotoStripStore::importPhotos(PhotoPickerItems items)
{
    if (items.isEmpty() || m_isImporting)
        co_return;
    const QPointer<PhotoStripStore> self(this);
    setImporting(true);
    setErrorMessage({});
    int failures = 0;

    for (const std::shared_ptr<PhotoPickerItem> &item : items) {
        const std::optional<QByteArray> data = co_await item->loadData();
        if (!self)
            co_return;
        if (!data) {
            ++failures;
            continue;
        }
        // Decoding, scaling and encoding run on a worker; the store changes only on this thread.
        const std::optional<QByteArray> jpeg = co_await QtConcurrent::run(PhotoImage::encodeForStrip, *data);
        if (!self)
            co_return;
        const Photo photo = Photo::create();
        if (!jpeg || !writeFile(photo, *jpeg)) {
            ++failures;
            continue;
        }
        m_photos.prepend(photo);
        emit photosChanged();
    }

    while (m_photos.size() > maxPhotos) {
        const Photo oldest = m_photos.constLast(); // a copy: remove() replaces the list it lives in
        remove(oldest);
    }
    save();
    if (failures > 0)
        setErrorMessage(failureMessage(failures));
    setImporting(false);
}

std::optional<QImage> PhotoStripStore::thumbnail(const Photo &photo)
{
    return cachedImage(m_thumbCache, photo, PhotoImage::readThumbnail);
}

std::optional<QImage> PhotoStripStore::image(const Photo &photo)
{
    return cachedImage(m_cache, photo, PhotoImage::readFull);
}

std::optional<QImage> PhotoStripStore::cachedImage(QCache<QString, QImage> &cache, const Photo &photo,
                                                   QImage (*read)(const QString &)) const
{
    if (const QImage *hit = cache.object(photo.id))
        return *hit;
    const QString path = filePath(photo);
    const QImage image = path.isEmpty() ? QImage() : read(path);
    if (image.isNull())
        return std::nullopt;
    cache.insert(photo.id, new QImage(image), image.sizeInBytes());
    return image;
}

void PhotoStripStore::remove(const Photo &photo)
{
    deleteFile(filePath(photo));
    m_cache.remove(photo.id);
    m_thumbCache.remove(photo.id);
    QList<Photo> remaining = m_photos;
    remaining.removeIf([&](const Photo &entry) { return entry.id == photo.id; });
    setPhotos(std::move(remaining));
    save();
}

void PhotoStripStore::removeAll()
{
    for (const Photo &photo : std::as_const(m_photos))
        deleteFile(filePath(photo));
    m_cache.clear();
    m_thumbCache.clear();
    setPhotos({});
    save();
}

void PhotoStripStore::save()
{
    if (!m_maySave) {
        qWarning("Dayloom: the photo list is not saved, to keep the unreadable stored list");
        return;
    }
    m_preferences.setBytes(defaultsKey(), PhotoList::encode(m_photos));
}

void PhotoStripStore::setPhotos(QList<Photo> photos)
{
    if (photos == m_photos)
        return;
    m_photos = std::move(photos);
    emit photosChanged();
}

void PhotoStripStore::setImporting(bool importing)
{
    if (importing == m_isImporting)
        return;
    m_isImporting = importing;
    emit isImportingChanged();
}

void PhotoStripStore::setErrorMessage(const QString &message)
{
    if (message == m_errorMessage)
        return;
    m_errorMessage = message;
    emit errorMessageChanged();
}
