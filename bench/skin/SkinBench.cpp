// Costs of the skin: rendering the frame at a new size (with the window shape), and painting
// a shown dialog and a list of 200 rows.
#include "skin/CSkinDialogEx.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CStretchDC.h"
#include "skin/SkinSettings.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// One resize: the frame nine-sliced at the new size, keyed, and its region found.
void FrameAtNewSize(benchmark::State& state) {
    const qreal ratio = state.range(2);
    CStretchDC frame;
    frame.SetSourceBitmap(101);
    frame.SetColourKey(CurrentSkin().frameKey);
    int grow = 0;
    for (auto _ : state) {
        frame.Render(QSize(int(state.range(0)) + (grow++ & 1), int(state.range(1))), ratio);
        benchmark::DoNotOptimize(frame.KeyRegion().rectCount());
    }
}
BENCHMARK(FrameAtNewSize)->Args({1024, 700, 1})->Args({1920, 1080, 1})->Args({1024, 700, 2});

// A full repaint of a shown 1024 x 700 dialog whose frame is already rendered.
void DialogRepaint(benchmark::State& state) {
    CSkinDialogEx dialog;
    dialog.resize(1024, 700);
    dialog.show();
    QApplication::processEvents();
    for (auto _ : state)
        dialog.repaint();
}
BENCHMARK(DialogRepaint);

// A full repaint of a list of 200 rows in five columns, one of them a progress column.
void ListRepaint(benchmark::State& state) {
    CSkinListCtrl list;
    list.resize(1000, 600);
    const int widths[] = {50, 500, 100, 80, 80};
    for (int c = 0; c < 5; ++c)
        list.InsertColumn(c, QStringLiteral("列%1").arg(c), widths[c]);
    list.SetProgressColumn(3);
    for (int r = 0; r < 200; ++r) {
        list.InsertItem(r, QString::number(r + 1));
        list.SetItemText(r, 1, QStringLiteral("一个普通人眼里的城市变迁：从老街到新区 %1").arg(r));
        list.SetItemText(r, 2, QStringLiteral("北窗听雨"));
        list.SetItemText(r, 3, QString::number(r % 120));
        list.SetItemText(r, 4, QStringLiteral("永久阅读"));
    }
    list.show();
    QApplication::processEvents();
    for (auto _ : state)
        list.viewport()->repaint();
}
BENCHMARK(ListRepaint);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InitSkin(QString());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
