#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<Preferences> openStore(const QTemporaryDir &dir)
{
    return std::make_unique<Preferences>(
            std::make_unique<SqlitePreferenceBackend>(dir.filePath(QStringLiteral("prefs.sqlite"))));
}

// One committed write of a value of the given size under one key. Two alternating values make
// every write a real change.
void BM_PreferencesWriteBytes(benchmark::State &state)
{
    QTemporaryDir dir;
    auto store = openStore(dir);
    const QByteArray values[2] = {QByteArray(state.range(0), 'a'), QByteArray(state.range(0), 'b')};
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store->setBytes(QStringLiteral("dayloom.events"), values[++i % 2]));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PreferencesWriteBytes)->Arg(4096)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_PreferencesReadBool(benchmark::State &state)
{
    QTemporaryDir dir;
    auto store = openStore(dir);
    for (int i = 0; i < 50; ++i)
        store->setInteger(QStringLiteral("dayloom.key%1").arg(i), i);
    store->setBool(QStringLiteral("dayloom.showGoogleEvents"), true);
    const QString key = QStringLiteral("dayloom.showGoogleEvents");
    for (auto _ : state)
        benchmark::DoNotOptimize(store->optionalBool(key));
}
BENCHMARK(BM_PreferencesReadBool);

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
