// The character rules on one line of 10 MB, natively: each step the caret, Backspace, a
// double-click or the layout takes must cost what the character in question costs, never the
// whole line. Built by the linux preset; run build/linux/bench/characters_bench.
#include <benchmark/benchmark.h>

#include <string>

#include "editing/line_layout.h"
#include "editing/text_editor.h"
#include "editing/text_positions.h"

namespace talvex {
namespace {

constexpr std::size_t kLineUnits = 10'000'000;

std::u16string LineOf(std::u16string_view unit) {
    std::u16string line;
    line.reserve(kLineUnits + unit.size());
    while (line.size() < kLineUnits) line += unit;
    return line;
}

// Words with accents; flags (one run of regional indicators: the rules count it); emoji
// joined into families; Chinese and Japanese without punctuation (one word, for a
// double-click).
const std::u16string& Line(int kind) {
    static const std::u16string lines[] = {
        LineOf(u"e\u0301te\u0301 "),
        LineOf(u"\U0001F1EB\U0001F1F7"),
        LineOf(u"\U0001F468\u200D\U0001F469\u200D\U0001F467"),
        LineOf(u"\u6F22\u5B57\u304B\u306A"),
    };
    return lines[kind];
}

void ArgumentsForEachLine(benchmark::internal::Benchmark* b) {
    b->ArgName("line")->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
}

// Right and Left arrows at the end of the line, where the run behind is longest.
void StepAtTheEnd(benchmark::State& state) {
    const std::u16string& line = Line(static_cast<int>(state.range(0)));
    const std::size_t middle = line.size() / 2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PreviousCharacter(line, line.size()));
        benchmark::DoNotOptimize(NextCharacter(line, PreviousCharacter(line, middle)));
        benchmark::DoNotOptimize(BackspaceStart(line, line.size()));
    }
}
BENCHMARK(StepAtTheEnd)->Apply(ArgumentsForEachLine);

void DoubleClickInTheMiddle(benchmark::State& state) {
    const std::u16string& line = Line(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(WordAt(line, line.size() / 2));
}
BENCHMARK(DoubleClickInTheMiddle)->Apply(ArgumentsForEachLine);

class WidthlessMeasurer : public PieceMeasurer {
  public:
    int MeasurePiece(std::size_t, std::size_t length) override { return static_cast<int>(length); }
};

// A recall of the line: its cutting into pieces, which runs over the whole line once.
void CutTheLineIntoPieces(benchmark::State& state) {
    TextEditor editor;
    editor.SetText(Line(static_cast<int>(state.range(0))));
    WidthlessMeasurer measurer;
    for (auto _ : state) {
        LineLayout layout(editor.Document(), measurer);
        benchmark::DoNotOptimize(layout.PiecesBetween(0, 0, 1000));
    }
}
BENCHMARK(CutTheLineIntoPieces)->Apply(ArgumentsForEachLine);

}  // namespace
}  // namespace talvex

BENCHMARK_MAIN();
