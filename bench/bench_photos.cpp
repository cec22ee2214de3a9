#include "photostripstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

// A camera-sized JPEG with smooth areas, edges and sensor-like noise, so that decoding costs
// what a real photo costs. A fixed random generator: every run measures the same bytes.
QByteArray cameraJpeg()
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QLinearGradient sky(0, 0, 0, 3000);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(230, 200, 150));
    QPainter painter(&image);
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(20240601);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xff000000));
        painter.drawEllipse(random.bounded(4000), random.bounded(3000), 20 + random.bounded(400), 20 + random.bounded(300));
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] ^= random.bounded(8) * 0x010101;
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    if (!writer.write(image))
        qFatal("cannot encode the benchmark photo: %s", qPrintable(writer.errorString()));
    return jpeg;
}

struct Strip
{
    QTemporaryDir dir;
    Preferences preferences{std::make_unique<SqlitePreferenceBackend>(dir.filePath(QStringLiteral("prefs.sqlite")))};
    QString folder = dir.filePath(QStringLiteral("PhotoStrip"));
};

// One 4000 by 3000 JPEG from its bytes to the stored 1600 by 1200 file and list entry.
void BM_PhotoImport4000x3000(benchmark::State &state)
{
    Strip strip;
    PhotoStripStore store(strip.preferences, strip.folder);
    const PhotoPickerItems items{std::make_shared<MemoryPhotoPickerItem>(cameraJpeg())};
    for (auto _ : state) {
        QCoro::waitFor(store.importPhotos(items));
        state.PauseTiming();
        if (store.photos().size() != 1)
            qFatal("the benchmark photo was not imported: %s", qPrintable(store.errorMessage()));
        store.removeAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PhotoImport4000x3000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A thumbnail read from its 1600 by 1200 file by a store whose caches are empty.
void BM_PhotoThumbnailCold(benchmark::State &state)
{
    Strip strip;
    {
        PhotoStripStore store(strip.preferences, strip.folder);
        QCoro::waitFor(store.importPhotos({std::make_shared<MemoryPhotoPickerItem>(cameraJpeg())}));
        if (store.photos().size() != 1)
            qFatal("the benchmark photo was not imported: %s", qPrintable(store.errorMessage()));
    }
    for (auto _ : state) {
        state.PauseTiming();
        PhotoStripStore store(strip.preferences, strip.folder);
        const Photo photo = store.photos().constFirst();
        state.ResumeTiming();
        benchmark::DoNotOptimize(store.thumbnail(photo));
    }
}
BENCHMARK(BM_PhotoThumbnailCold)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
