// The layout designer with a card table of 200 fields: opening it on a
// layout file that places every item, and following the mouse while an
// item is dragged from the palette across the card.
#include "layout/designer/TCustomlayout.h"
#include "layout/file/LayoutFile.h"

#include <QApplication>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>
#include <benchmark/benchmark.h>

using namespace vellora;

namespace {

QStringList fields()
{
    QStringList names;
    for (int i = 0; i < 200; ++i)
        names << QStringLiteral("Field_%1").arg(i);
    return names;
}

// A program folder whose front layout puts every tenth field on the card.
const QString &folder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + QLatin1Char('/');
        LayoutRecord record;
        const QStringList names = fields();
        for (int i = 0; i < names.size(); ++i) {
            LayoutItem item;
            item.name = names[i];
            item.text = names[i];
            item.fontName = QStringLiteral("Arial");
            item.fontSize = 12;
            item.fontHeight = -16;
            item.setPlace(i % 10 == 0 ? LayoutPlace::Card : LayoutPlace::Pallete);
            item.left = (i * 7) % 380;
            item.top = (i * 13) % 290;
            item.width = 130;
            item.height = 25;
            record.items.append(item);
        }
        SaveLayout(p, CardSide::Front, record);
        return p;
    }();
    return path;
}

DesignerEnvironment environment()
{
    DesignerEnvironment env;
    env.appFolder = folder();
    env.tableFields = [] { return fields(); };
    env.layoutType = [](CardSide) { return 6; };
    return env;
}

void BM_OpenDesigner200Fields(benchmark::State &state)
{
    const DesignerEnvironment env = environment();
    for (auto _ : state) {
        TCustomlayout designer(env, CardSide::Front);
        designer.show();  // loads the file
        QApplication::processEvents();
        benchmark::DoNotOptimize(designer.layoutRecord().items.size());
    }
}
BENCHMARK(BM_OpenDesigner200Fields)->Unit(benchmark::kMillisecond);

// One mouse move of a drag: the event, the outline moved and the window
// repainted where it changed. 16.7 ms is one frame at 60 per second.
void BM_DragFrame(benchmark::State &state)
{
    TCustomlayout designer(environment(), CardSide::Front);
    designer.show();
    QApplication::processEvents();
    QWidget *item = designer.item(QStringLiteral("Image1"));
    designer.palette()->ensureWidgetVisible(item);
    QWindow *window = designer.windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, item->mapTo(&designer, QPoint(10, 10)));
    const QPoint cardAt = designer.card()->mapTo(&designer, QPoint(0, 0));
    QTest::mouseMove(window, cardAt + QPoint(20, 20));
    if (designer.dragOutline()->isHidden())
        state.SkipWithError("the press started no drag");
    int step = 0;
    for (auto _ : state) {
        const QPoint at = cardAt + QPoint((step * 7) % 500, (step * 3) % 300);
        ++step;
        QTest::mouseMove(window, at);
        QApplication::processEvents();
    }
    QTest::mouseRelease(window, Qt::LeftButton, {}, cardAt + QPoint(5, 5));
    state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DragFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
