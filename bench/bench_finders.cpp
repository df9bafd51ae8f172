// The window's finders and searches on the reference databases built from
// data/ (build/tools/refdata/fendra-data), under the offscreen platform:
//
//   BM_ChildEvaluation      one evaluation of the children's finder: scoring
//                           the 70 remedies, ranking them, and the
//                           explanation lines of the five result rows
//   BM_AuswertenClick       the whole "Auswerten" handler: the above, the five
//                           rows filled, "KindKM" positioned on the best
//                           remedy and its text shown
//   BM_RemedySearchKeystroke one keystroke in the materia medica's search
//                           line (alternately typing and deleting a letter,
//                           each moving to another remedy)
//                           up to the tab repainted; beside it the same
//                           without the repaint, and the repaint alone
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/children_explanation.h"
#include "app/children_remedies.h"
#include "app/fendra_program.h"

#include "bench/bench_reference_data.h"

namespace {

namespace fs = std::filesystem;


const fs::path& Databases() { return dvxbench::ReferenceDatabases("finders"); }

// The window, made on first use and freed by main() while the application
// object still exists.
std::unique_ptr<fendra::TfrmMain> window;

fendra::TfrmMain* Window() {
  static bool made = [] {
    if (Databases().empty()) return false;
    auto& app = static_cast<fendra::TFendraApplication&>(*QApplication::instance());
    window = fendra::StartFendra(app, std::make_unique<fendra::TDataModule>(Databases()));
    if (!window) return false;
    window->resize(1366, 768);
    window->show();
    QApplication::processEvents();
    return true;
  }();
  return made ? window.get() : nullptr;
}

// A parent's typical ticks: a dozen features over all lists.
fendra::ChildTicks SomeTicks() {
  fendra::ChildTicks ticks{};
  for (int f : {1, 8, 14, 19, 24, 38, 41, 56, 61, 75, 89, 104}) ticks[f] = true;
  return ticks;
}

void BM_ChildEvaluation(benchmark::State& state) {
  const fendra::ChildTicks ticks = SomeTicks();
  fendra::ChildScoreTable table;
  size_t lines = 0;
  for (auto _ : state) {
    fendra::EvaluateChildScores(table, ticks);
    for (int n = 0; n < fendra::kChildResultRows; ++n)
      lines += fendra::ExplainChildPoints(table[n].RemedyIndex, ticks).size();
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_ChildEvaluation)->Unit(benchmark::kMicrosecond);

void BM_AuswertenClick(benchmark::State& state) {
  fendra::TfrmMain* window = Window();
  if (!window) {
    state.SkipWithError("needs fendra-data beside the benchmark");
    return;
  }
  window->PageControl()->setCurrentWidget(window->findChild<QWidget*>("TsKinder"));
  QApplication::processEvents();
  auto* button = window->findChild<QPushButton*>("PaBtKindAusw");
  // Two tick sets taking turns, one making Ignatia the best remedy and one
  // Sulfur, so every click moves the table to another remedy's text.
  auto boxes = [window](std::initializer_list<const char*> names) {
    std::vector<QCheckBox*> found;
    for (const char* name : names) found.push_back(window->findChild<QCheckBox*>(name));
    return found;
  };
  const std::vector<QCheckBox*> ignatia = boxes({"clbKonst12", "clbKonst17", "clbKonst28", "clbMD3"});
  const std::vector<QCheckBox*> sulfur = boxes({"clbAllg9", "clbAllg12", "clbApp12", "clbMod8"});
  bool flip = false;
  for (auto _ : state) {
    state.PauseTiming();
    for (QCheckBox* box : ignatia) box->setChecked(!flip);
    for (QCheckBox* box : sulfur) box->setChecked(flip);
    flip = !flip;
    state.ResumeTiming();
    button->click();
  }
}
BENCHMARK(BM_AuswertenClick)->Unit(benchmark::kMicrosecond);

class TPaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

// The materia medica tab on its origin page with "Ca" typed; the edit.
QLineEdit* RemedySearch(QWidget*& tab) {
  fendra::TfrmMain* w = Window();
  if (!w) return nullptr;
  tab = w->findChild<QWidget*>("TsAML");
  w->PageControl()->setCurrentWidget(tab);
  QApplication::processEvents();
  auto* edit = w->findChild<QLineEdit*>("edAMEingabe");
  edit->setFocus();
  edit->setText(QStringLiteral("Ca"));  // "Calcium ..."; with "n" "Cantharis"
  QApplication::processEvents();
  return edit;
}

// One keystroke, alternately "n" and Backspace, so each moves the table
// ("Ca" and "Can" find different remedies); with `paint` the window then
// repaints what the keystroke changed, as the event loop does next.
void Keystrokes(benchmark::State& state, bool paint) {
  QWidget* tab = nullptr;
  QLineEdit* edit = RemedySearch(tab);
  if (!edit) {
    state.SkipWithError("needs fendra-data beside the benchmark");
    return;
  }
  // Counts the paints of the remedy's heading and picture, to show that
  // every keystroke repaints what it changed.
  TPaintCounter counter;
  for (const char* name : {"DBTxMMHeadl", "DBImgMMBild"}) tab->findChild<QWidget*>(name)->installEventFilter(&counter);
  bool typing = true;
  for (auto _ : state) {
    QTest::keyClick(edit, typing ? Qt::Key_N : Qt::Key_Backspace);
    typing = !typing;
    if (paint) QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
  }
  state.counters["paints_per_keystroke"] =
      benchmark::Counter(double(counter.paints), benchmark::Counter::kAvgIterations);
}

void BM_RemedySearchKeystroke(benchmark::State& state) { Keystrokes(state, true); }
BENCHMARK(BM_RemedySearchKeystroke)->Unit(benchmark::kMicrosecond);

// The same keystrokes up to the controls filled, without the repaint.
void BM_RemedySearchKeystrokeUnpainted(benchmark::State& state) { Keystrokes(state, false); }
BENCHMARK(BM_RemedySearchKeystrokeUnpainted)->Unit(benchmark::kMicrosecond);

// The whole tab repainted, nothing moved: the most a keystroke can cost in
// painting.
void BM_RemedyTabRepaint(benchmark::State& state) {
  QWidget* tab = nullptr;
  if (!RemedySearch(tab)) {
    state.SkipWithError("needs fendra-data beside the benchmark");
    return;
  }
  for (auto _ : state) tab->repaint();
}
BENCHMARK(BM_RemedyTabRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  fendra::TFendraApplication app(argc, argv);
  fendra::ApplyFendraLook(app);
  app.setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  window.reset();
  return 0;
}
