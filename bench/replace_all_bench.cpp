// replace_all and append_replaced alone: bytes per second of text, for short lines (an argument
// string, a message line) and 1 MB lines, with no, few and many occurrences, replacements that
// grow and shrink the text, and one line with a million occurrences.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/replace_all.hpp"

namespace {

constexpr std::string_view source = "src";
constexpr std::string_view build = "build/pp";

enum density { none, few, many };

// A line of about `size` bytes of path-like text. `few` puts one occurrence of `searched` in each
// 4 KB (and one in a short line), `many` one in each 16 bytes.
std::string make_line(std::size_t size, density how, std::string_view searched) {
  const std::string filler = "com/example/util/Text.java:12: warning: [rawtypes] found raw type ";
  std::size_t every = how == many ? 16 : how == few ? std::min<std::size_t>(size / 2, 4096) : 0;
  std::string line;
  line.reserve(size + 64);
  std::size_t next = every;
  while (line.size() < size) {
    if (every && line.size() >= next) {
      line += searched;
      line += '/';
      next += every;
    } else {
      std::size_t take = every ? std::min(filler.size(), next - line.size()) : filler.size();
      line.append(filler, 0, std::max<std::size_t>(take, 1));
    }
  }
  line.resize(size);
  return line;
}

struct line_case {
  std::size_t size;
  density how;
  bool grow;
};

// Times replace_all in place on a fresh copy of `line` per iteration.
void time_replace_all(benchmark::State& state, const std::string& line, std::string_view searched,
                      std::string_view replacement) {
  std::string text;
  text.reserve(line.size() * 3);
  for (auto _ : state) {
    text = line;
    drosk::replace_all(searched, replacement, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

// A short or 1 MB line of `how` many occurrences; `grow` replaces source by build, else build by
// source.
void bm_replace_all(benchmark::State& state, line_case c) {
  std::string_view searched = c.grow ? source : build;
  std::string_view replacement = c.grow ? build : source;
  const std::string line = make_line(c.size, c.how, searched);
  time_replace_all(state, line, searched, replacement);
}

void bm_append_replaced(benchmark::State& state, line_case c) {
  std::string_view searched = c.grow ? source : build;
  std::string_view replacement = c.grow ? build : source;
  const std::string line = make_line(c.size, c.how, searched);
  std::string out;
  for (auto _ : state) {
    out.clear();
    drosk::append_replaced(searched, replacement, line, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

// Named for what they are: replace_all/1MB/many/grow and the like.
const bool registered = [] {
  for (std::size_t size : {std::size_t{80}, std::size_t{1} << 20}) {
    for (density how : {none, few, many}) {
      for (bool grow : {true, false}) {
        std::string name = std::string(size == 80 ? "80B" : "1MB") + "/" +
                           (how == none  ? "none"
                            : how == few ? "few"
                                         : "many") +
                           "/" + (grow ? "grow" : "shrink");
        line_case c{size, how, grow};
        benchmark::RegisterBenchmark(("replace_all/" + name).c_str(), bm_replace_all, c);
        benchmark::RegisterBenchmark(("append_replaced/" + name).c_str(), bm_append_replaced, c);
      }
    }
  }
  return true;
}();

// One line of a million occurrences and nothing else: "src/" a million times grows to
// "build/pp/" a million times, and back.
void bm_million_occurrences(benchmark::State& state, bool grow) {
  std::string_view searched = grow ? source : build;
  std::string_view replacement = grow ? build : source;
  std::string line;
  for (int i = 0; i < 1000000; ++i) {
    line += searched;
    line += '/';
  }
  time_replace_all(state, line, searched, replacement);
}
BENCHMARK_CAPTURE(bm_million_occurrences, grow, true)
    ->Name("replace_all/million_occurrences/grow")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bm_million_occurrences, shrink, false)
    ->Name("replace_all/million_occurrences/shrink")
    ->Unit(benchmark::kMillisecond);

}  // namespace
