#include "photoimageprovider.h"
#include "photostripstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

Q_IMPORT_QML_PLUGIN(Dayloom_PlatformPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_PhotosPlugin)

namespace {

QByteArray encoded(const QImage &image, const char *format = "png")
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return data;
}

QByteArray imageData(QSize size, const char *format = "png")
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return encoded(image, format);
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

std::shared_ptr<PhotoPickerItem> imageItem(QSize size)
{
    return std::make_shared<MemoryPhotoPickerItem>(imageData(size));
}

// An item that always makes the import wait for the event loop, like a slow disk.
class SlowPhotoPickerItem final : public PhotoPickerItem
{
public:
    explicit SlowPhotoPickerItem(QByteArray data) : m_data(std::move(data)) {}
    QCoro::Task<std::optional<QByteArray>> loadData() override
    {
        co_await QCoro::sleepFor(std::chrono::milliseconds(1));
        co_return std::optional<QByteArray>(m_data);
    }

private:
    QByteArray m_data;
};

// A JPEG whose EXIF block says the camera was turned: orientation 6 means "rotate 90° clockwise
// to show". The APP1 segment goes right after the start-of-image marker.
QByteArray withExifOrientation(const QByteArray &jpeg, char orientation)
{
    const QByteArray exif = QByteArray("Exif\0\0", 6) + QByteArray("MM\0\x2a\0\0\0\x08", 8) // TIFF, IFD at 8
            + QByteArray("\0\x01", 2)                                                     // one entry
            + QByteArray("\x01\x12\0\x03\0\0\0\x01\0", 9) + orientation + QByteArray(2, '\0') // Orientation
            + QByteArray(4, '\0');                                                        // no next IFD
    const int length = int(exif.size()) + 2;
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + exif
            + jpeg.mid(2);
}

// Fixed identities for hand-written stored lists.
const QString someUuid = QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301");
const QString otherUuid = QStringLiteral("7D444840-9DC0-11D1-B245-5FFDCE74FAD2");

QSize storedImageSize(const QString &path)
{
    QImageReader reader(path);
    return reader.size();
}

}

class TestPhotoStripStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;

    QString folder() const { return m_dir->filePath(QStringLiteral("PhotoStrip")); }
    QString aside() const { return folder() + QStringLiteral("-unreadable.json"); }
    QString pathOf(const Photo &photo) const { return QDir(folder()).filePath(photo.fileName); }
    std::unique_ptr<PhotoStripStore> openStore() const
    {
        return std::make_unique<PhotoStripStore>(*m_preferences, folder());
    }
    std::optional<QByteArray> stored() const { return m_preferences->bytes(PhotoStripStore::defaultsKey()); }
    QStringList folderEntries() const
    {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    void storeList(const QByteArray &json) { m_preferences->setBytes(PhotoStripStore::defaultsKey(), json); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir->filePath(QStringLiteral("prefs.sqlite"))));
    }

    void importsNewestFirstAndKeepsThirty()
    {
        auto store = openStore();
        QVERIFY(QDir(folder()).exists());
        // Widths tell the items apart: the first batch is 10..37 pixels wide, the second 50..54.
        PhotoPickerItems first, second;
        for (int i = 0; i < 28; ++i)
            first.append(imageItem({10 + i, 8}));
        for (int i = 0; i < 5; ++i)
            second.append(imageItem({50 + i, 8}));

        QCoro::waitFor(store->importPhotos(first));
        QCOMPARE(store->photos().size(), 28);
        QCOMPARE(storedImageSize(pathOf(store->photos().first())).width(), 37);
        // 28 + 5 is three too many: the three oldest go.
        const QList<Photo> oldest = store->photos().mid(25);
        QCOMPARE(storedImageSize(pathOf(oldest.last())).width(), 10);

        QCoro::waitFor(store->importPhotos(second));
        const QList<Photo> photos = store->photos();
        QCOMPARE(photos.size(), PhotoStripStore::maxPhotos);
        QList<int> widths;
        for (const Photo &photo : photos)
            widths.append(storedImageSize(pathOf(photo)).width());
        QCOMPARE(widths.mid(0, 6), (QList<int>{54, 53, 52, 51, 50, 37}));
        QCOMPARE(widths.last(), 13);
        for (const Photo &photo : oldest) {
            QVERIFY(!photos.contains(photo));
            QVERIFY(!QFile::exists(pathOf(photo)));
        }
        QCOMPARE(folderEntries().size(), 30);
        QCOMPARE(PhotoList::decode(*stored()), photos);
        for (const Photo &photo : photos) {
            QVERIFY(Photo::isStoredFileName(photo.fileName));
            QVERIFY(photo.id != photo.fileName.chopped(4));
        }
    }

    void emptyOrOverlappingImportChangesNothing()
    {
        auto store = openStore();
        QSignalSpy photosChanged(store.get(), &PhotoStripStore::photosChanged);
        QSignalSpy importingChanged(store.get(), &PhotoStripStore::isImportingChanged);

        QCoro::waitFor(store->importPhotos(PhotoPickerItems{}));
        QCOMPARE(importingChanged.count(), 0);
        QVERIFY(!stored());

        auto running = store->importPhotos({std::make_shared<SlowPhotoPickerItem>(imageData({30, 20}))});
        QVERIFY(store->isImporting());
        auto refused = store->importPhotos({imageItem({40, 20}), imageItem({50, 20})});
        QVERIFY(refused.isReady()); // returned at once, without waiting for anything
        QVERIFY(store->isImporting());
        QCOMPARE(photosChanged.count(), 0);

        QCoro::waitFor(running);
        QVERIFY(!store->isImporting());
        QCOMPARE(importingChanged.count(), 2);
        QCOMPARE(store->photos().size(), 1);
        QCOMPARE(storedImageSize(pathOf(store->photos().first())), QSize(30, 20));
    }

    void storesTheLongerSideAtMost1600_data()
    {
        QTest::addColumn<QSize>("picked");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("landscape") << QSize(4000, 3000) << QSize(1600, 1200);
        QTest::newRow("portrait") << QSize(3000, 4000) << QSize(1200, 1600);
        QTest::newRow("small") << QSize(800, 600) << QSize(800, 600);
        QTest::newRow("at the limit") << QSize(1600, 1600) << QSize(1600, 1600);
        QTest::newRow("panorama") << QSize(5000, 1001) << QSize(1600, 320);
    }
    void storesTheLongerSideAtMost1600()
    {
        QFETCH(QSize, picked);
        QFETCH(QSize, kept);
        auto store = openStore();
        QCoro::waitFor(store->importPhotos({imageItem(picked)}));
        QCOMPARE(store->photos().size(), 1);
        QImageReader reader(pathOf(store->photos().first()));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), kept);
    }

    void turnsCameraPhotosUpright()
    {
        // The sensor's left half is red: shown upright, it is the top half.
        QImage sensor(2000, 1000, QImage::Format_RGB32);
        sensor.fill(Qt::blue);
        QPainter(&sensor).fillRect(0, 0, 1000, 1000, Qt::red);
        const QByteArray photo = withExifOrientation(encoded(sensor, "jpeg"), 6);

        auto store = openStore();
        QCoro::waitFor(store->importPhotos({std::make_shared<MemoryPhotoPickerItem>(photo)}));
        QCOMPARE(store->photos().size(), 1);
        const QImage kept(pathOf(store->photos().first()));
        QCOMPARE(kept.size(), QSize(800, 1600));
        QVERIFY(qRed(kept.pixel(400, 400)) > 200 && qBlue(kept.pixel(400, 400)) < 60);
        QVERIFY(qBlue(kept.pixel(400, 1200)) > 200 && qRed(kept.pixel(400, 1200)) < 60);
    }

    void countsFailedItems_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("message");
        QTest::newRow("one unreadable of three") << QStringList{u"image"_qs, u"missing"_qs, u"image"_qs} << 2
                                                 << u"1 photo couldn't be added."_qs;
        QTest::newRow("three failures") << QStringList{u"missing"_qs, u"garbage"_qs, u"empty"_qs} << 0
                                        << u"3 photos couldn't be added."_qs;
        QTest::newRow("no failure") << QStringList{u"image"_qs} << 1 << QString();
    }
    void countsFailedItems()
    {
        QFETCH(QStringList, items);
        QFETCH(int, added);
        QFETCH(QString, message);
        const QString garbage = m_dir->filePath(QStringLiteral("garbage.jpg"));
        QVERIFY(writeFile(garbage, "not an image at all"));

        PhotoPickerItems picked;
        for (const QString &kind : items) {
            if (kind == u"image"_qs)
                picked.append(imageItem({64, 48}));
            else if (kind == u"missing"_qs)
                picked.append(std::make_shared<FilePhotoPickerItem>(m_dir->filePath(QStringLiteral("gone.png"))));
            else if (kind == u"garbage"_qs)
                picked.append(std::make_shared<FilePhotoPickerItem>(garbage));
            else
                picked.append(std::make_shared<MemoryPhotoPickerItem>(QByteArray()));
        }

        auto store = openStore();
        QCoro::waitFor(store->importPhotos({std::make_shared<FilePhotoPickerItem>(garbage)}));
        QCOMPARE(store->errorMessage(), u"1 photo couldn't be added."_qs);
        // The previous import's message goes when the next import starts; the new one is in place
        // before the import reports that it is over.
        QStringList messages;
        QString messageWhenDone = u"unset"_qs;
        connect(store.get(), &PhotoStripStore::errorMessageChanged, this, [&] { messages.append(store->errorMessage()); });
        connect(store.get(), &PhotoStripStore::isImportingChanged, this, [&] {
            if (!store->isImporting())
                messageWhenDone = store->errorMessage();
        });
        QCoro::waitFor(store->importPhotos(picked));
        QCOMPARE(store->photos().size(), added);
        QCOMPARE(folderEntries().size(), added);
        QCOMPARE(store->errorMessage(), message);
        QCOMPARE(messageWhenDone, message);
        QCOMPARE(messages, message.isEmpty() ? QStringList{QString()} : (QStringList{QString(), message}));
    }

    void loadDropsEntriesWhoseFileIsGone()
    {
        QList<Photo> imported;
        {
            auto store = openStore();
            QCoro::waitFor(store->importPhotos({imageItem({20, 10}), imageItem({30, 10})}));
            imported = store->photos();
        }
        QVERIFY(QFile::remove(pathOf(imported.first())));
        const QByteArray before = *stored();

        auto store = openStore();
        QCOMPARE(store->photos(), QList<Photo>{imported.last()});
        QCOMPARE(*stored(), before);
    }

    void loadDropsFileNamesOutsideTheFolder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("outsideFile"); // relative to the test directory; must survive
        const QString uuid = someUuid;
        QTest::newRow("parent") << u"../x.jpg"_qs << u"x.jpg"_qs;
        QTest::newRow("absolute") << u"ABSOLUTE"_qs << u"elsewhere/y.jpg"_qs;
        QTest::newRow("nested parent") << QString(uuid + u".jpg/../../z.jpg"_qs) << u"z.jpg"_qs;
        QTest::newRow("subfolder") << QString(u"sub/"_qs + uuid + u".jpg"_qs) << QString();
        QTest::newRow("lower case") << QString(uuid.toLower() + u".jpg"_qs) << QString();
        QTest::newRow("other suffix") << QString(uuid + u".png"_qs) << QString();
    }
    void loadDropsFileNamesOutsideTheFolder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, outsideFile);
        QList<Photo> kept;
        {
            auto store = openStore();
            QCoro::waitFor(store->importPhotos({imageItem({20, 10})}));
            kept = store->photos();
        }
        QString outsidePath;
        if (!outsideFile.isEmpty()) {
            outsidePath = m_dir->filePath(outsideFile);
            QVERIFY(QDir().mkpath(QFileInfo(outsidePath).path()));
            QVERIFY(writeFile(outsidePath, imageData({10, 10}, "jpeg")));
        }
        if (fileName == u"ABSOLUTE"_qs)
            fileName = outsidePath;
        const Photo hostile{otherUuid, fileName};
        storeList(PhotoList::encode({hostile, kept.first()}));

        auto store = openStore();
        QCOMPARE(store->photos(), kept);
        QVERIFY(!store->thumbnail(hostile));
        QVERIFY(!store->image(hostile));
        store->remove(hostile);
        store->removeAll();
        QVERIFY(folderEntries().isEmpty());
        if (!outsidePath.isEmpty())
            QVERIFY(QFile::exists(outsidePath));
    }

    void unreadableListIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not JSON") << QByteArray("[{\"id\":");
        QTest::newRow("object") << QByteArray("{\"id\":\"x\"}");
        QTest::newRow("number entry") << QByteArray("[1]");
        QTest::newRow("id no UUID") << QByteArray("[{\"id\":\"nope\",\"fileName\":\"" + someUuid.toUtf8() + ".jpg\"}]");
        QTest::newRow("file name missing") << QByteArray("[{\"id\":\"" + someUuid.toUtf8() + "\"}]");
    }
    void unreadableListIsKeptAside()
    {
        QFETCH(QByteArray, json);
        storeList(json);
        auto store = openStore();
        QVERIFY(store->photos().isEmpty());
        QCoro::waitFor(store->importPhotos({imageItem({20, 10})}));
        QCOMPARE(PhotoList::decode(*stored()), store->photos());

        QCOMPARE(readFile(aside()), json);
    }

    void secondUnreadableListDoesNotReplaceTheFirstCopy()
    {
        storeList("first");
        openStore()->save();
        storeList("second");
        openStore();
        QCOMPARE(readFile(aside()), QByteArray("first"));
        QCOMPARE(readFile(folder() + QStringLiteral("-unreadable-2.json")), QByteArray("second"));
    }

    void removeOfPhotoWhoseFileIsGoneStillSaves()
    {
        auto store = openStore();
        QCoro::waitFor(store->importPhotos({imageItem({20, 10}), imageItem({30, 10})}));
        const Photo gone = store->photos().first();
        QVERIFY(QFile::remove(pathOf(gone)));
        QSignalSpy photosChanged(store.get(), &PhotoStripStore::photosChanged);

        store->remove(gone);
        QCOMPARE(photosChanged.count(), 1);
        QCOMPARE(store->photos().size(), 1);
        QCOMPARE(PhotoList::decode(*stored()), store->photos());
    }

    void removeAllLeavesAnEmptyFolderAndAnEmptyList()
    {
        auto store = openStore();
        QCoro::waitFor(store->importPhotos({imageItem({20, 10}), imageItem({30, 10}), imageItem({40, 10})}));
        const Photo photo = store->photos().first();
        QVERIFY(store->thumbnail(photo));
        QVERIFY(store->image(photo));

        store->removeAll();
        QVERIFY(store->photos().isEmpty());
        QVERIFY(folderEntries().isEmpty());
        QCOMPARE(*stored(), QByteArray("[]"));
        QVERIFY(!store->thumbnail(photo));
        QVERIFY(!store->image(photo));
    }

    void thumbnailsAndImagesAreCached_data()
    {
        QTest::addColumn<QSize>("kept");
        QTest::addColumn<QSize>("thumbnail");
        QTest::newRow("landscape") << QSize(1600, 1200) << QSize(347, 260);
        QTest::newRow("portrait") << QSize(1200, 1600) << QSize(260, 347);
        QTest::newRow("small") << QSize(200, 100) << QSize(200, 100);
    }
    void thumbnailsAndImagesAreCached()
    {
        QFETCH(QSize, kept);
        QFETCH(QSize, thumbnail);
        auto store = openStore();
        QCoro::waitFor(store->importPhotos({imageItem(kept)}));
        const Photo photo = store->photos().first();
        QCOMPARE(store->thumbnail(photo)->size(), thumbnail);
        QCOMPARE(store->image(photo)->size(), kept);

        // Served from memory once read.
        QVERIFY(QFile::remove(pathOf(photo)));
        QCOMPARE(store->thumbnail(photo)->size(), thumbnail);
        QCOMPARE(store->image(photo)->size(), kept);
        QVERIFY(!openStore()->thumbnail(photo));
    }

    void providerServesImagesByPhotoId_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QSize>("size");
        QTest::newRow("thumbnail") << u"thumbnail/ID"_qs << QSize(347, 260);
        QTest::newRow("image") << u"image/ID"_qs << QSize(1600, 1200);
        QTest::newRow("unknown photo") << QString(u"image/"_qs + otherUuid) << QSize();
        QTest::newRow("unknown kind") << u"original/ID"_qs << QSize();
    }
    void providerServesImagesByPhotoId()
    {
        QFETCH(QString, request);
        QFETCH(QSize, size);
        auto store = openStore();
        QCoro::waitFor(store->importPhotos({imageItem({1600, 1200})}));
        PhotoImageProvider provider(*store);

        std::unique_ptr<QQuickImageResponse> response(
                provider.requestImageResponse(request.replace(u"ID"_qs, store->photos().first().id), {}));
        QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
        QVERIFY(finished.wait());
        std::unique_ptr<QQuickTextureFactory> texture(response->textureFactory());
        QCOMPARE(texture ? texture->image().size() : QSize(), size);
        QCOMPARE(response->errorString().isEmpty(), size.isValid());
    }

    void pickerDialogHandsTheChosenFilesToItsPicker()
    {
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/"));
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQuick
            import Dayloom.Platform
            Window {
                visible: true
                property alias dialog: dialog
                PhotoPickerDialog { id: dialog; picker.selectionLimit: 30 }
            }
        )", QUrl());
        std::unique_ptr<QObject> window(component.create());
        QVERIFY2(window, qPrintable(component.errorString()));
        auto *dialog = window->property("dialog").value<QObject *>();
        QCOMPARE(dialog->property("nameFilters").toStringList(), PhotoPicker::nameFilters());
        const QUrl chosen = QUrl::fromLocalFile(m_dir->filePath(u"a.png"_qs));
        QVERIFY(writeFile(chosen.toLocalFile(), {}));

        QVERIFY(dialog->setProperty("currentFolder", QUrl::fromLocalFile(m_dir->path())));
        QVERIFY(dialog->setProperty("selectedFile", chosen));
        // What the user does: open the dialog in the folder, pick the file, press Open.
        QMetaObject::invokeMethod(dialog, "open");
        QMetaObject::invokeMethod(dialog, "accept");
        auto *picker = dialog->property("picker").value<PhotoPicker *>();
        QCOMPARE(picker->count(), 1);
        QCOMPARE(std::dynamic_pointer_cast<FilePhotoPickerItem>(picker->items().first())->path(), chosen.toLocalFile());
    }

    void qmlReadsPhotosAndImportsFromThePicker()
    {
        auto store = openStore();
        QCoro::waitFor(store->importPhotos({imageItem({20, 10})}));
        const QString picked = m_dir->filePath(QStringLiteral("picked.png"));
        QVERIFY(writeFile(picked, imageData({30, 10})));

        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/"));
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQml
            import Dayloom.Platform
            import Dayloom.Photos
            QtObject {
                required property PhotoStripStore store
                property string firstId: store.photos.length > 0 ? store.photos[0].id : ""
                property url firstThumbnail: store.photos.length > 0 ? store.photos[0].thumbnailUrl : ""
                property PhotoPicker picker: PhotoPicker { selectionLimit: 1 }
                function importPicked(urls) { picker.choose(urls); store.importPhotos(picker); picker.clear() }
                function removeFirst() { store.remove(store.photos[0]) }
            }
        )", QUrl());
        std::unique_ptr<QObject> root(component.createWithInitialProperties({{u"store"_qs, QVariant::fromValue(store.get())}}));
        QVERIFY2(root, qPrintable(component.errorString()));
        const Photo first = store->photos().first();
        QCOMPARE(root->property("firstId").toString(), first.id);
        QCOMPARE(root->property("firstThumbnail").toUrl(), QUrl(u"image://photostrip/thumbnail/"_qs + first.id));

        // Only the first URL fits the picker's limit of one.
        QMetaObject::invokeMethod(root.get(), "importPicked", Q_ARG(QVariant, QVariant::fromValue(QList<QUrl>{
                QUrl::fromLocalFile(picked), QUrl::fromLocalFile(m_dir->filePath(u"gone.png"_qs))})));
        QTRY_VERIFY(!store->isImporting());
        QCOMPARE(store->photos().size(), 2);
        QVERIFY(store->errorMessage().isEmpty());
        QCOMPARE(root->property("picker").value<PhotoPicker *>()->count(), 0);

        QMetaObject::invokeMethod(root.get(), "removeFirst");
        QCOMPARE(store->photos(), QList<Photo>{first});
    }
};

QTEST_MAIN(TestPhotoStripStore)
#include "test_photostripstore.moc"
