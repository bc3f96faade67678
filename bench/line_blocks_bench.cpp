// The inner loops of the relay and of the argument-file rewrite, on one block of whole lines as
// the reader hands them over: where their time goes, without the file system.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "mapping/relay.hpp"
#include "mapping/rewrite_arg_file.hpp"
#include "settings/settings.hpp"

namespace {

constexpr std::size_t block_bytes = 1 << 16;

drosk::Settings settings() {
  drosk::Settings s;
  s.source = "src";
  s.build = "build/pp";
  return s;
}

// Compiler-like message lines, each naming one or two build-tree paths.
std::string message_block() {
  std::string block;
  for (int i = 0; block.size() < block_bytes; ++i) {
    std::string n = std::to_string(i % 997);
    block += "build/pp/com/example/app/Main" + n + ".java:" + n + ": error: cannot find symbol";
    if (i % 3 == 0) block += " (see build/pp/com/example/util/Text" + n + ".java)";
    block += "\n        total += parse(value, offset);\n                 ^\n";
  }
  return block;
}

// An argument file's lines: one source path each, LF or CR LF ended.
std::string arg_block(const char* line_end) {
  std::string block;
  for (int i = 0; block.size() < block_bytes; ++i) {
    block += "src/com/example/model/service/Class" + std::to_string(i) + ".java" + line_end;
  }
  return block;
}

void bm_map_message_lines(benchmark::State& state) {
  const drosk::Settings s = settings();
  const std::string block = message_block();
  std::string out;
  for (auto _ : state) {
    out.clear();
    drosk::map_message_lines(block, s, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK(bm_map_message_lines)->Name("map_message_lines/64KB");

void bm_rewrite_arg_lines(benchmark::State& state, const char* line_end) {
  const drosk::Settings s = settings();
  const std::string block = arg_block(line_end);
  std::string scratch, out;
  for (auto _ : state) {
    out.clear();
    drosk::rewrite_arg_lines(block, s, scratch, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK_CAPTURE(bm_rewrite_arg_lines, lf, "\n")->Name("rewrite_arg_lines/64KB/lf");
BENCHMARK_CAPTURE(bm_rewrite_arg_lines, crlf, "\r\n")->Name("rewrite_arg_lines/64KB/crlf");

}  // namespace
