#include "photopicker.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestPhotoPicker : public QObject
{
    Q_OBJECT

private slots:
    void offersImageFormatsOnly()
    {
        const QStringList filters = PhotoPicker::nameFilters();
        QCOMPARE(filters.size(), 1);
        QVERIFY(filters.first().startsWith(u"Images ("_qs));
        QVERIFY(filters.first().contains(u"*.jpeg"_qs));
        QVERIFY(filters.first().contains(u"*.png"_qs));
    }

    void itemsDeliverTheFileBytesOrNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"photo.jpg"_qs);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("bytes of a photo");
        file.close();

        PhotoPicker picker;
        QSignalSpy itemsChanged(&picker, &PhotoPicker::itemsChanged);
        picker.choose({QUrl::fromLocalFile(path), QUrl(u"https://example.org/a.jpg"_qs), QUrl::fromLocalFile(dir.path()),
                       QUrl::fromLocalFile(dir.filePath(u"gone.jpg"_qs))});
        QCOMPARE(itemsChanged.count(), 1);
        QCOMPARE(picker.count(), 4);

        QList<std::optional<QByteArray>> loaded;
        for (const auto &item : picker.items())
            loaded.append(QCoro::waitFor(item->loadData()));
        QCOMPARE(loaded, (QList<std::optional<QByteArray>>{QByteArray("bytes of a photo"), {}, {}, {}}));
    }

    void memoryItemsDeliverTheirBytesEveryTime()
    {
        MemoryPhotoPickerItem item(QByteArray("pasted"));
        QCOMPARE(QCoro::waitFor(item.loadData()), QByteArray("pasted"));
        QCOMPARE(QCoro::waitFor(item.loadData()), QByteArray("pasted"));
        QCOMPARE(QCoro::waitFor(MemoryPhotoPickerItem(QByteArray()).loadData()), std::nullopt);
    }

    void keepsAtMostTheSelectionLimit()
    {
        PhotoPicker picker;
        picker.setSelectionLimit(2);
        QSignalSpy itemsChanged(&picker, &PhotoPicker::itemsChanged);
        picker.choose({QUrl::fromLocalFile(u"/a.png"_qs), QUrl::fromLocalFile(u"/b.png"_qs), QUrl::fromLocalFile(u"/c.png"_qs)});
        QCOMPARE(picker.count(), 2);
        QCOMPARE(std::dynamic_pointer_cast<FilePhotoPickerItem>(picker.items().last())->path(), u"/b.png"_qs);

        picker.clear();
        picker.clear();
        QCOMPARE(picker.count(), 0);
        QCOMPARE(itemsChanged.count(), 2);
    }
};

QTEST_MAIN(TestPhotoPicker)
#include "test_photopicker.moc"
