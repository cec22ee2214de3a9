#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

// One image the user picked. Its bytes are read only when asked for, off the main thread.
class PhotoPickerItem
{
public:
    virtual ~PhotoPickerItem() = default;
    // The item's encoded image as stored (any format), or nothing when it cannot be read.
    virtual QCoro::Task<std::optional<QByteArray>> loadData() = 0;
};

using PhotoPickerItems = QList<std::shared_ptr<PhotoPickerItem>>;

// A file chosen in the platform file dialog.
class FilePhotoPickerItem final : public PhotoPickerItem
{
public:
    explicit FilePhotoPickerItem(QString path) : m_path(std::move(path)) {}
    QCoro::Task<std::optional<QByteArray>> loadData() override;
    QString path() const { return m_path; }

private:
    QString m_path;
};

// Bytes already in memory (a pasted or dropped image; tests and benchmarks).
class MemoryPhotoPickerItem final : public PhotoPickerItem
{
public:
    explicit MemoryPhotoPickerItem(QByteArray data) : m_data(std::move(data)) {}
    QCoro::Task<std::optional<QByteArray>> loadData() override;

private:
    QByteArray m_data;
};

// What the user picked in PhotoPickerDialog. QML hands this object to the store that imports the
// items and then clears it, so the next pick starts empty.
class PhotoPicker : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // Most items kept from one pick; 0 means no limit, 1 makes the dialog pick a single file.
    Q_PROPERTY(int selectionLimit READ selectionLimit WRITE setSelectionLimit NOTIFY selectionLimitChanged)
    Q_PROPERTY(QStringList nameFilters READ nameFilters CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY itemsChanged)

public:
    using QObject::QObject;

    int selectionLimit() const { return m_selectionLimit; }
    void setSelectionLimit(int limit);
    // The dialog's filter: every image format this system can decode.
    static QStringList nameFilters();
    int count() const { return int(m_items.size()); }
    PhotoPickerItems items() const { return m_items; }

    // Takes the dialog's selection, up to `selectionLimit` of it. A URL that is no local file
    // becomes an item that fails to load, so that the importer counts it instead of losing it.
    Q_INVOKABLE void choose(const QList<QUrl> &urls);
    Q_INVOKABLE void clear();

signals:
    void selectionLimitChanged();
    void itemsChanged();

private:
    void setItems(PhotoPickerItems items);

    int m_selectionLimit = 0;
    PhotoPickerItems m_items;
};
