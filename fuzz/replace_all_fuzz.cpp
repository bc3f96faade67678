// replace_all against the step-by-step reference: any difference is a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "support/reference_replace.hpp"
#include "text/replace_all.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace drosk;
  auto fields = fuzz::cut_input(data, size, 2);
  std::string_view searched = fields[0], replacement = fields[1], text = fields[2];
  std::string expected = reference_replace(text, searched, replacement);

  std::string in_place(text);
  replace_all(searched, replacement, in_place);
  fuzz::require(in_place == expected, "replace_all differs from the reference");

  // Appending keeps what is already there.
  std::string appended = "kept";
  append_replaced(searched, replacement, text, appended);
  fuzz::require(appended == "kept" + expected, "append_replaced differs from the reference");
  return 0;
}
