#include "photopicker.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

namespace {

// Larger files are no photos a person picks; refusing them keeps a stray pick from exhausting
// memory.
constexpr qint64 maxPickedFileSize = 256 * 1024 * 1024;

std::optional<QByteArray> readPickedFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        qWarning("Dayloom: the picked item %s is no readable file", qUtf8Printable(path));
        return std::nullopt;
    }
    if (info.size() > maxPickedFileSize) {
        qWarning("Dayloom: the picked file %s is too large to be a photo", qUtf8Printable(path));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Dayloom: cannot read the picked file %s: %s", qUtf8Printable(path),
                 qUtf8Printable(file.errorString()));
        return std::nullopt;
    }
    QByteArray data = file.readAll();
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

}

QCoro::Task<std::optional<QByteArray>> FilePhotoPickerItem::loadData()
{
    // Photos can be large and sit on slow disks; the main thread only waits for the result.
    co_return co_await QtConcurrent::run(readPickedFile, m_path);
}

QCoro::Task<std::optional<QByteArray>> MemoryPhotoPickerItem::loadData()
{
    if (m_data.isEmpty())
        co_return std::nullopt;
    // A copy of the exact result type: QCoro 0.8 moves from a plain lvalue given to co_return.
    co_return std::optional<QByteArray>(m_data);
}

void PhotoPicker::setSelectionLimit(int limit)
{
    limit = qMax(0, limit);
    if (limit == m_selectionLimit)
        return;
    m_selectionLimit = limit;
    emit selectionLimitChanged();
}

QStringList PhotoPicker::nameFilters()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    return {QStringLiteral("Images (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')')};
}

void PhotoPicker::choose(const QList<QUrl> &urls)
{
    PhotoPickerItems items;
    for (const QUrl &url : urls) {
        if (m_selectionLimit > 0 && items.size() == m_selectionLimit)
            break;
        items.append(std::make_shared<FilePhotoPickerItem>(url.isLocalFile() ? url.toLocalFile() : QString()));
    }
    setItems(std::move(items));
}

void PhotoPicker::clear()
{
    setItems({});
}

void PhotoPicker::setItems(PhotoPickerItems items)
{
    if (items.isEmpty() && m_items.isEmpty())
        return;
    m_items = std::move(items);
    emit itemsChanged();
}
