// The Database view on large card tables (no photos needed):
//   BM_OpenView/N         opening the view: the table opened, the columns
//                         fitted to every value of N cards, the window shown
//                         and painted once;
//   BM_ScrollPage/N       one Page Down in the grid, repainted;
//   BM_RestructureAdd/N   Save/Reindex of N cards with one field added (the
//                         card table copied back before each run, untimed).
#include "dataman/dataview/ExRxDBGrid.h"
#include "dataman/dataview/Tdataview.h"
#include "dataman/restructure/Restructure.h"
#include "engine/Table.h"
#include "store/CardTable.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace vellora;

namespace {

const char *const kFirst[] = {"Ada", "Grace", "Bo", "Kenji", "Ines", "Jürgen", "Marie-Louise", "Oluwaseun", "Li", "Åsa"};
const char *const kLast[] = {"Okafor", "Lindqvist", "Moreau", "Nakamura", "Silva", "Müller", "van der Berg",
                             "Papadopoulou", "O'Neill", "Zhang"};
const char *const kDept[] = {"Research", "Sales", "Legal", "Facilities and Building Services", "IT", "Human Resources"};

// A program folder with `cards` cards of varied names; ends with '/'.
QString Collection(int cards)
{
    const QString folder = QStringLiteral(VELLORA_BENCH_COLLECTIONS "/dataview-%1/").arg(cards);
    if (QFile::exists(folder + QStringLiteral(".complete")))
        return folder;
    std::fprintf(stderr, "making %d cards in %s\n", cards, qPrintable(folder));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("data"));
    CreateStandardCardTable(folder + QStringLiteral("data/"));
    Table t;
    t.setDatabaseName(folder + QStringLiteral("data/"));
    t.setTableName(QString::fromLatin1(kCardTableName));
    t.setCachedUpdates(true);
    t.open();
    for (int i = 1; i <= cards; ++i) {
        t.append();
        t.fieldByName(QStringLiteral("First_name")).setAsString(QString::fromUtf8(kFirst[i % 10]));
        t.fieldByName(QStringLiteral("Last_name")).setAsString(QString::fromUtf8(kLast[(i / 10) % 10]) + QString::number(i % 97));
        t.fieldByName(QStringLiteral("Department")).setAsString(QString::fromUtf8(kDept[i % 6]));
        t.fieldByName(QStringLiteral("Title")).setAsString(i % 3 ? QStringLiteral("Dr") : QString());
        t.fieldByName(QStringLiteral("MagStripe2")).setAsString(QString::number(100000000 + i));
        t.post();
        if (i % 5000 == 0)
            t.commitUpdates();
    }
    t.commitUpdates();
    t.close();
    QFile done(folder + QStringLiteral(".complete"));
    done.open(QIODevice::WriteOnly);
    return folder;
}

void BM_OpenView(benchmark::State &state)
{
    const QString folder = Collection(int(state.range(0)));
    Tdataview view;
    view.setAppFolder(folder);
    view.resize(900, 600);
    for (auto _ : state) {
        view.FormShow();
        view.show();
        view.repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        view.hide();
        view.CloseTable();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenView)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScrollPage(benchmark::State &state)
{
    const QString folder = Collection(int(state.range(0)));
    Tdataview view;
    view.setAppFolder(folder);
    view.resize(900, 600);
    view.FormShow();
    view.show();
    QCoreApplication::processEvents();
    TExRxDBGrid *grid = view.ExRxDBGrid1;
    grid->setFocus();
    for (auto _ : state) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(grid, &down);
        grid->viewport()->repaint();
        if (grid->currentIndex().row() >= grid->gridModel()->rowCount() - 1) {
            state.PauseTiming();
            grid->moveToRow(0);
            grid->viewport()->repaint();
            state.ResumeTiming();
        }
    }
    view.CloseTable();
}
BENCHMARK(BM_ScrollPage)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_RestructureAdd(benchmark::State &state)
{
    const QString source = Collection(int(state.range(0)));
    const QString folder = QStringLiteral(VELLORA_BENCH_COLLECTIONS "/restructure-%1/").arg(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder + QStringLiteral("data"));
        QFile::copy(source + QStringLiteral("data/cardset1.DB"), folder + QStringLiteral("data/cardset1.DB"));
        QList<RestructureField> fields;
        {
            Table t;
            t.setDatabaseName(folder + QStringLiteral("data/"));
            t.setTableName(QString::fromLatin1(kCardTableName));
            t.open();
            fields = CurrentCardStructure(t.fieldDefs());
        }
        fields.append({FieldDef{QStringLiteral("Phone"), FieldType::String, 20}, -1});
        state.ResumeTiming();
        RestructureCardTable(folder, fields);
    }
    QDir(folder).removeRecursively();
}
BENCHMARK(BM_RestructureAdd)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
