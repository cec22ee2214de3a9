#pragma once

#include "photo.h"
#include "photopicker.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <QCoro/QCoroTask>

#include <optional>

class Preferences;

// The user's own photos that decorate the calendar window: JPEG files in a private folder, their
// order in the preference store, newest first, at most maxPhotos of them. Main thread only.
class PhotoStripStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application creates the one photo strip store.")
    Q_PROPERTY(QList<Photo> photos READ photos NOTIFY photosChanged)
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY isImportingChanged)
    // Text of the last import's failures; empty when there is none to show.
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    static constexpr int maxPhotos = 30;
    static QString defaultsKey();
    // "PhotoStrip" in the application data directory.
    static QString defaultFolder();

    // Creates `folder` when missing and loads the stored list.
    explicit PhotoStripStore(Preferences &preferences, const QString &folder = defaultFolder(),
                             QObject *parent = nullptr);

    QString folder() const { return m_folder; }
    QList<Photo> photos() const { return m_photos; }
    std::optional<Photo> photo(const QString &id) const;
    bool isImporting() const { return m_isImporting; }
    QString errorMessage() const { return m_errorMessage; }
    Q_INVOKABLE void clearErrorMessage() { setErrorMessage({}); }

    // Adds the items' images in front of the strip, the last item first. Does nothing when
    // `items` is empty or another import runs; failures are counted into errorMessage.
    QCoro::Task<> importPhotos(PhotoPickerItems items);
    // For QML: imports what the picker holds; the picker may be cleared right after.
    Q_INVOKABLE void importPhotos(PhotoPicker *picker);

    // Shorter side at most 260 pixels; cached. Nothing when the file cannot be read.
    std::optional<QImage> thumbnail(const Photo &photo);
    // The stored image; cached. Nothing when the file cannot be read.
    std::optional<QImage> image(const Photo &photo);

    // Deletes the photo's file (a missing one is fine), its cached images and its list entry.
    Q_INVOKABLE void remove(const Photo &photo);
    Q_INVOKABLE void removeAll();
    // Writes the list to the preference store.
    void save();

signals:
    void photosChanged();
    void isImportingChanged();
    void errorMessageChanged();

private:
    void load();
    void keepUnreadableListAside(const QByteArray &stored);
    QString filePath(const Photo &photo) const;
    bool writeFile(const Photo &photo, const QByteArray &jpeg) const;
    std::optional<QImage> cachedImage(QCache<QString, QImage> &cache, const Photo &photo,
                                      QImage (*read)(const QString &)) const;
    void setPhotos(QList<Photo> photos);
    void setImporting(bool importing);
    void setErrorMessage(const QString &message);

    Preferences &m_preferences;
    QString m_folder;
    QList<Photo> m_photos;
    bool m_isImporting = false;
    QString m_errorMessage;
    // False while an unreadable stored list could not be copied aside: saving would destroy it.
    bool m_maySave = true;
    // Keyed by photo id. Byte budgets stand in for dropping entries under memory pressure; a
    // dropped entry is read from its file again.
    QCache<QString, QImage> m_cache;
    QCache<QString, QImage> m_thumbCache;
};
